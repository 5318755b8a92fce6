#pragma once
// What the searches work with: the controls, the program's values, the
// server, one worker for each catalogue (the two run independently) and the
// player strip's page host that plays a row.

#include <string>

#include "search/cell_colours.h"

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
  // Cells of the result lists drawn in colours of their own.
  CellColourTable cellColours = {};
  // Where a row's address is asked for when it is not kept yet, so the
  // window never waits for the server; none: asked on the calling thread.
  SearchWorker* addressWorker = nullptr;
};

}  // namespace larkbay
