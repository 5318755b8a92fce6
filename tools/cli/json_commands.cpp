// JsonObject operations on a document read from standard input.
#include <charconv>
#include <string>

#include "cli_command.h"
#include "services/json/json_object.h"

namespace larkbay::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: json text | get PATH [--json] | count PATH | names PATH | item I PATH [--json] | "
    "itemobj I PATH | set PATH VALUE | parse";

bool ParseIndex(const std::string& text, int& index) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, index);
  return !text.empty() && ec == std::errc() && ptr == end;
}

// Arguments of one operation: `fixed` positional ones, then an optional
// "--json" when `jsonFlag`.
bool TakeArguments(const std::vector<std::string>& args, size_t fixed, bool jsonFlag,
                   bool& asJson) {
  asJson = false;
  if (args.size() == fixed + 2 && jsonFlag && args.back() == "--json") {
    asJson = true;
    return true;
  }
  return args.size() == fixed + 1;
}

int JsonCommand(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kUsage);
  const std::string& op = args[0];
  bool asJson = false;
  int index = 0;

  // Check the usage before reading the document.
  bool ok;
  if (op == "text" || op == "parse") {
    ok = TakeArguments(args, 0, false, asJson);
  } else if (op == "get") {
    ok = TakeArguments(args, 1, true, asJson);
  } else if (op == "count" || op == "names") {
    ok = TakeArguments(args, 1, false, asJson);
  } else if (op == "item") {
    ok = TakeArguments(args, 2, true, asJson) && ParseIndex(args[1], index);
  } else if (op == "itemobj") {
    ok = TakeArguments(args, 2, false, asJson) && ParseIndex(args[1], index);
  } else if (op == "set") {
    ok = TakeArguments(args, 2, false, asJson);
  } else {
    return UsageError("json: unknown operation '" + op + "'; " + std::string(kUsage));
  }
  if (!ok) return UsageError(kUsage);

  // A document that does not parse is no error of the tool: the operation
  // runs on what Parse left. An empty input keeps the new, empty object.
  const std::string input = ReadStdin();
  JsonObject doc;
  bool parsed = false;
  if (!input.empty() || op == "parse") parsed = doc.Parse(input);

  if (op == "text") return PrintText(doc.ToText());
  if (op == "parse") return PrintText(parsed ? "true" : "false");
  if (op == "get") return PrintText(doc.GetText(args[1], asJson));
  if (op == "count") return PrintText(std::to_string(doc.GetCount(args[1])));
  if (op == "names") {
    std::vector<std::string> names;
    doc.GetNames(names, args[1]);
    std::string lines;
    for (const std::string& name : names) lines += name + "\n";
    return WriteBytes(lines);
  }
  if (op == "item") return PrintText(doc.GetItemText(index, args[2], asJson));
  if (op == "itemobj") return PrintText(doc.GetItemObject(index, args[2]).ToText());
  doc.SetValue(args[1], args[2]);
  return PrintText(doc.ToText());
}

const CommandRegistration json{
    "json",
    "json OP ...               JsonObject on the document on stdin: text, get PATH [--json], "
    "count PATH, names PATH, item I PATH [--json], itemobj I PATH, set PATH VALUE, parse",
    &JsonCommand};

}  // namespace
}  // namespace larkbay::cli
