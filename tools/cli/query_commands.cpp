// query: the catalogue query texts the program builds, for given arguments
// (what is left out takes the program's defaults), through the same core
// functions and the same keyword rules as the search boxes.
//   lark-bay-cli query song --site S [--type T] --key K [--page N] [--br B] [--mid M]
//   lark-bay-cli query dj --site S --type T --key K [--page N] [--sort asc|desc]
//   lark-bay-cli query encode          (text on standard input)
#include <string>
#include <vector>

#include "cli_command.h"
#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "search/dj_search.h"
#include "search/query_encoding.h"
#include "search/song_search.h"
#include "state/search_records.h"

namespace larkbay::cli {
namespace {

// "--name value" pairs; false for anything else.
bool Options(const std::vector<std::string>& args, std::vector<std::string> known,
             std::vector<std::pair<std::string, std::string>>& out, std::string& error) {
  for (size_t i = 1; i < args.size(); i += 2) {
    bool isKnown = false;
    for (const std::string& name : known) isKnown = isKnown || name == args[i];
    if (!isKnown) {
      error = "unknown argument " + args[i];
      return false;
    }
    if (i + 1 >= args.size()) {
      error = args[i] + " needs a value";
      return false;
    }
    out.emplace_back(args[i], args[i + 1]);
  }
  return true;
}

std::string Value(const std::vector<std::pair<std::string, std::string>>& options,
                  std::string_view name) {
  for (const auto& [key, value] : options)
    if (key == name) return value;
  return {};
}

// A page number from 1, or 0 when left out; -1 when it is no number.
int PageOf(const std::string& text) {
  if (text.empty()) return 0;
  if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
  const int page = std::stoi(text);
  return page >= 1 ? page : -1;
}

// A selector holding the one code `code` as its only, selected item.
void OneItemBox(MemoryControls& controls, const char* name, const std::string& code) {
  MemoryControls::Control box;
  box.items = {code};
  box.tag = code;
  box.currentIndex = 0;
  controls.Add(name, box);
}

int QuerySong(const std::vector<std::string>& args) {
  std::vector<std::pair<std::string, std::string>> o;
  std::string error;
  if (!Options(args, {"--site", "--type", "--key", "--page", "--br", "--mid"}, o, error))
    return UsageError(error);
  if (Value(o, "--site").empty() || Value(o, "--key").empty())
    return UsageError("query song --site S [--type T] --key K [--page N] [--br B] [--mid M]");
  const int page = PageOf(Value(o, "--page"));
  if (page < 0) return UsageError("--page takes a number from 1");
  MemoryControls controls;
  OneItemBox(controls, names::kSongSiteBox, Value(o, "--site"));
  controls.Add(names::kSongSearchBox);
  controls.SetText(names::kSongSearchBox, Value(o, "--key"));
  SongSearchState search;
  const std::string query = BuildSongQuery(controls, search, "", Value(o, "--type"), "", page,
                                           Value(o, "--br"), Value(o, "--mid"));
  if (query.empty()) return UsageError("the keyword is refused: " + Value(o, "--key"));
  return PrintText(query);
}

int QueryDj(const std::vector<std::string>& args) {
  std::vector<std::pair<std::string, std::string>> o;
  std::string error;
  if (!Options(args, {"--site", "--type", "--key", "--page", "--sort"}, o, error))
    return UsageError(error);
  if (Value(o, "--site").empty() || Value(o, "--type").empty() || Value(o, "--key").empty())
    return UsageError("query dj --site S --type T --key K [--page N] [--sort asc|desc]");
  const int page = PageOf(Value(o, "--page"));
  if (page < 0) return UsageError("--page takes a number from 1");
  const std::string sort = Value(o, "--sort");
  if (!sort.empty() && sort != "asc" && sort != "desc")
    return UsageError("--sort takes asc or desc");
  MemoryControls controls;
  OneItemBox(controls, names::kDjSiteBox, Value(o, "--site"));
  OneItemBox(controls, names::kDjTypeBox, Value(o, "--type"));
  controls.Add(names::kDjSearchBox);
  controls.Add(names::kDjSortBox);
  controls.SetText(names::kDjSearchBox, Value(o, "--key"));
  controls.SetChecked(names::kDjSortBox, sort == "desc");
  DjSearchState search;
  const std::string query = BuildDjQuery(controls, search, "", "", "", page, "");
  if (query.empty()) {
    return UsageError("the keyword is refused: " + controls.GetText(names::kDjSearchBox));
  }
  return PrintText(query);
}

int Query(const std::vector<std::string>& args) {
  const std::string what = args.empty() ? std::string() : args[0];
  if (what == "song") return QuerySong(args);
  if (what == "dj") return QueryDj(args);
  if (what == "encode" && args.size() == 1) return PrintText(EncodeQueryValue(ReadStdin()));
  return UsageError("query song|dj|encode ...");
}

CommandRegistration queryRegistration{
    "query",
    "query song --site S [--type T] --key K [--page N] [--br B] [--mid M] | query dj --site S "
    "--type T --key K [--page N] [--sort asc|desc] | query encode",
    &Query};

}  // namespace
}  // namespace larkbay::cli
