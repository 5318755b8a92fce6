#pragma once
// What a start-up step needs in a test: in-memory controls with the windows
// the steps reach, fresh program-wide values, a data folder of its own and a
// client of the given server. Ending the process and the fixed waits are
// recorded instead of carried out.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "net/server_request.h"
#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "remote/step_context.h"
#include "server_process.h"
#include "state/program_state.h"

namespace larkbay::test {

class StepFixture {
 public:
  explicit StepFixture(const std::string& serverBase) : server_(serverBase) {
    std::filesystem::create_directories(data_.Path() / "data");
    controls.Add(names::kStartupWindow);
    controls.Add(names::kDjTypeBox, Combo({"歌名搜索"}));
    controls.Add(names::kDjSiteBox, Combo({"DJ娱乐网"}));
    controls.Add(names::kSongSiteBox, Combo({"QQ音乐"}));
    state.appState.VersionNumber = kVersionNumber;
  }

  static MemoryControls::Control Combo(std::vector<std::string> items) {
    MemoryControls::Control combo;
    combo.items = std::move(items);
    combo.currentIndex = 0;
    return combo;
  }

  StepContext Context() {
    StepContext context{controls, state, server_, DataDir(), "http://assets.test/"};
    context.endProcess = [this] { ++ends; };
    context.sleep = [this](std::chrono::milliseconds wait) { sleeps.push_back(wait); };
    return context;
  }

  std::string DataDir() const { return data_.Path().string() + "/"; }
  std::filesystem::path File(std::string_view name) const { return data_.Path() / name; }
  ServerClient& Server() { return server_; }

  MemoryControls controls;
  ProgramState state;
  int ends = 0;
  std::vector<std::chrono::milliseconds> sleeps;

 private:
  TempFolder data_;
  ServerClient server_;
};

}  // namespace larkbay::test
