#pragma once
// What the start-up steps work with.

namespace larkbay {

class ControlInterface;
struct ProgramState;

struct StartupContext {
  ControlInterface& controls;
  ProgramState& state;
};

}  // namespace larkbay
