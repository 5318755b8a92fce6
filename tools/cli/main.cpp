#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>

#include "cli_command.h"

namespace larkbay::cli {
namespace {

struct Entry {
  std::string usage;
  CommandFn fn;
};

std::map<std::string, Entry, std::less<>>& Registry() {
  static std::map<std::string, Entry, std::less<>> registry;
  return registry;
}

// --help: every command with its usage, on standard output.
int PrintHelp() {
  std::fputs("usage: lark-bay-cli COMMAND ...\n", stdout);
  for (const auto& [name, entry] : Registry()) {
    std::fprintf(stdout, "  %s\n", entry.usage.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string CommandNames() {
  std::string names;
  for (const auto& [name, entry] : Registry()) names += (names.empty() ? "" : ", ") + name;
  return names;
}

}  // namespace

CommandRegistration::CommandRegistration(std::string_view name, std::string_view usage,
                                         CommandFn fn) {
  Registry().emplace(std::string(name), Entry{std::string(usage), fn});
}

std::string ReadStdin() {
  std::freopen(nullptr, "rb", stdin);
  std::string data;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, n);
  return data;
}

int PrintText(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int WriteBytes(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int UsageError(std::string_view message) {
  std::fprintf(stderr, "lark-bay-cli: %.*s\n", static_cast<int>(message.size()), message.data());
  return 1;
}

}  // namespace larkbay::cli

int main(int argc, char** argv) {
  using namespace larkbay::cli;
  if (argc < 2) return UsageError("missing command (" + CommandNames() + "; --help for usage)");
  const std::string_view command = argv[1];
  if (command == "--help" || command == "-h") return PrintHelp();
  auto it = Registry().find(command);
  if (it == Registry().end()) {
    return UsageError("unknown command '" + std::string(command) + "' (" + CommandNames() +
                      "; --help for usage)");
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  return it->second.fn(args);
}
