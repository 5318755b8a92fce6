#pragma once
// What the searches work with: the controls, the program's values, the
// server, and one worker for each catalogue (the two run independently).

namespace larkbay {

class ControlInterface;
class SearchWorker;
class ServerClient;
struct ProgramState;

struct SearchContext {
  ControlInterface& controls;
  ProgramState& state;
  ServerClient& server;
  SearchWorker& songWorker;
  SearchWorker& djWorker;
};

}  // namespace larkbay
