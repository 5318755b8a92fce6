#pragma once
// What the start-up steps work with.

namespace larkbay {

class ControlInterface;
class PageHost;
struct ProgramState;
struct StepContext;

struct StartupContext {
  ControlInterface& controls;
  ProgramState& state;
  // The server, data folder and program identity of the remote configuration
  // steps; without them those steps cannot run and mark "×".
  StepContext* remote = nullptr;
  // Where the start-up shows the recommended page; none: it is not shown.
  PageHost* pageHost = nullptr;
};

}  // namespace larkbay
