#pragma once
// The start-up sequence: seven steps run in order on the start-up worker, each
// logged to the console with its mark.

#include <functional>
#include <string>
#include <vector>

namespace larkbay {

class ControlInterface;
struct ProgramState;

struct InitStep {
  std::string label;          // logged before the step runs
  std::function<bool()> run;  // true: "√", false: "×"
};

// Runs every step, whatever the results: logs the label, runs the step, logs a
// tab, the mark and CR LF. Then sets InitDone and asks for the start-up
// window's destruction (carried out after InitDone is visible).
void InitSequence(ControlInterface& controls, ProgramState& state,
                  const std::vector<InitStep>& steps);

}  // namespace larkbay
