#pragma once
// Runs the built lark-bay-cli against a server for the server tests.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "server_process.h"

namespace larkbay::test {

struct CliRun {
  int status = -1;
  std::string out;
};

// The CLI with LARKBAY_API_BASE on `base` and `input` on standard input;
// standard output, followed by standard error when `withErrors`.
inline CliRun Cli(const std::string& base, const std::string& arguments,
                  const std::string& input = {}, bool withErrors = false) {
  TempFolder folder;
  WriteFile(folder.Path() / "in", input);
  const std::string command = "LARKBAY_API_BASE='" + base + "' '" LARKBAY_CLI_BINARY "' " +
                              arguments + " < '" + (folder.Path() / "in").string() + "'" +
                              (withErrors ? " 2>&1" : " 2>/dev/null");
  CliRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace larkbay::test
