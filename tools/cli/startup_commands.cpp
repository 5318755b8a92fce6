// The start-up's remote steps and their pieces, without a window.
//   lark-bay-cli site-table          DJ_Search_Web JSON in, the chooser's page bytes out
//   lark-bay-cli combo-values        [{key,value},...] in, the selector's tag text out
//   lark-bay-cli random-order N      N numbers from 1 to N in random order, one line
//   lark-bay-cli config fetch --appdata DIR
//       the configuration and the recommended list from LARKBAY_API_BASE (or the
//       build's default), cached in DIR as the program caches them; each step's
//       mark on a line. A message box becomes one line on stderr and status 1.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli_command.h"
#include "net/api_base.h"
#include "net/server_request.h"
#include "net/tls_trust.h"
#include "platform/config_ini.h"
#include "platform/file_system.h"
#include "platform/memory_controls.h"
#include "player/asset_root.h"
#include "remote/music_list.h"
#include "remote/program_config.h"
#include "remote/random_order.h"
#include "remote/remote_paths.h"
#include "remote/search_sites.h"
#include "remote/step_context.h"
#include "services/json/json_object.h"
#include "state/program_state.h"

namespace larkbay::cli {
namespace {

int SiteTable(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("usage: site-table");
  return WriteBytes(SiteTableHtml(ReadStdin()));
}

int ComboValuesCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("usage: combo-values");
  JsonObject entries;
  if (!entries.Parse(ReadStdin())) entries.Clear();
  return PrintText(ComboValues(entries));
}

int RandomOrder(const std::vector<std::string>& args) {
  int count = 0;
  const std::string text = args.size() == 1 ? args[0] : std::string();
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || count < 0 ||
      count > 10000000) {
    return UsageError("usage: random-order N (0 to 10000000)");
  }
  std::string line;
  for (const std::int64_t v : DistinctRandomList(count, 1, count)) {
    if (!line.empty()) line += ' ';
    line += std::to_string(v);
  }
  return PrintText(line);
}

// The steps' message boxes have no window here: each is one line on stderr,
// and the step's end of the process is this command's failure.
class ConsoleControls : public MemoryControls {
 public:
  int MessageBox(std::string_view, std::string_view text, std::string_view title, int,
                 int) override {
    UsageError(std::string(title) + " " + std::string(text));
    return msgbox::kIdOk;
  }
};

int ConfigCommand(const std::vector<std::string>& args) {
  if (args.size() != 3 || args[0] != "fetch" || args[1] != "--appdata" || args[2].empty())
    return UsageError("usage: config fetch --appdata DIR");
  std::string dataDir = args[2];
  if (!dataDir.ends_with('/')) dataDir += '/';
  if (!EnsureDirectory(dataDir + "data/")) return UsageError("cannot make " + dataDir + "data/");
  // The folder's settings may name a private CA, as they do for the program.
  SetConfiguredCaFile(ReadCaFile(dataDir + std::string(kConfigIniFile)));
  ConsoleControls controls;
  ProgramState state;
  ServerClient server(ApiBaseUrl());
  StepContext context(controls, state, server, dataDir, DefaultAssetRoot());
  context.endProcess = [] { std::exit(1); };
  const auto mark = [](bool ok) { return ok ? "\t√" : "\t×"; };
  PrintText(std::string("服务器->初始化") + mark(FetchProgramConfig(context)));
  return PrintText(std::string("推荐歌单->初始化") + mark(LoadMusicList(context)));
}

const CommandRegistration siteTable{
    "site-table",
    "site-table                the site chooser's page (GB18030) for the sites on stdin",
    &SiteTable};
const CommandRegistration comboValues{
    "combo-values", "combo-values              a selector's tag text for the entries on stdin",
    &ComboValuesCommand};
const CommandRegistration randomOrder{
    "random-order", "random-order N            the numbers 1 to N in random order", &RandomOrder};
const CommandRegistration config{
    "config",
    "config fetch --appdata DIR  the configuration and the recommended list, cached in DIR",
    &ConfigCommand};

}  // namespace
}  // namespace larkbay::cli
