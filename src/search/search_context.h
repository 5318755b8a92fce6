#pragma once
// What the searches work with: the controls, the program's values, the
// server, one worker for each catalogue (the two run independently) and the
// player strip's page host that plays a row.

#include <string>

namespace larkbay {

class ControlInterface;
class PageHost;
class SearchWorker;
class ServerClient;
struct ProgramState;

struct SearchContext {
  ControlInterface& controls;
  ProgramState& state;
  ServerClient& server;
  SearchWorker& songWorker;
  SearchWorker& djWorker;
  // Where a played row's page goes; none: playing shows nothing.
  PageHost* pageHost = nullptr;
  // The player page's asset root, with a trailing "/".
  std::string assetRoot = {};
};

}  // namespace larkbay
