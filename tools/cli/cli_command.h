#pragma once
// lark-bay-cli commands register themselves by name; main() dispatches on the
// first argument. Input is read whole from standard input by the command that
// needs it (ReadStdin); results go through PrintText / WriteBytes.

#include <string>
#include <string_view>
#include <vector>

namespace larkbay::cli {

// Arguments after the command name. Returns the process exit status.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct CommandRegistration {
  CommandRegistration(std::string_view name, std::string_view usage, CommandFn fn);
};

std::string ReadStdin();                   // byte for byte, nothing stripped
int PrintText(std::string_view text);      // text + "\n", returns 0
int WriteBytes(std::string_view bytes);    // exactly, returns 0
int UsageError(std::string_view message);  // one line on stderr, returns 1

}  // namespace larkbay::cli
