// Engine.exe: extracts the engine archive of the engine pack.
//
//   Engine.exe x [-iext] [-ow] [-o+|-o-] [-pPASSWORD] ARCHIVE DEST
//
// -o+ overwrites existing files (the default), -o- keeps them; -p gives the
// archive password (a bare -p means none); -iext and -ow are accepted and have
// no effect. Exit status: 0 everything extracted, 1 some entry or the archive
// failed (one line per problem on standard error), 2 bad command line.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "extract.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Usage(const char* why) {
  std::fprintf(stderr,
               "Engine.exe: %s\n"
               "usage: Engine.exe x [-iext] [-ow] [-o+|-o-] [-pPASSWORD] ARCHIVE DEST\n",
               why);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  larkbay::archiver::ExtractOptions options;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-iext" || arg == "-ow") {
      // Accepted for the client's command line; nothing to do here.
    } else if (arg == "-o+") {
      options.overwrite = true;
    } else if (arg == "-o-") {
      options.overwrite = false;
    } else if (arg.substr(0, 2) == "-p") {
      options.password = std::string(arg.substr(2));
      options.hasPassword = !options.password.empty();
    } else {
      const std::string why = "unknown option " + std::string(arg);
      return Usage(why.c_str());
    }
  }
  if (positional.size() != 3 || positional[0] != "x") {
    return Usage("expected the command x, an archive and a destination folder");
  }
  options.archive = positional[1];
  options.destination = positional[2];
  while (options.destination.size() > 1 && options.destination.back() == '/') {
    options.destination.pop_back();
  }

  const std::vector<std::string> problems = larkbay::archiver::ExtractAll(options);
  for (const std::string& problem : problems)
    std::fprintf(stderr, "Engine.exe: %s\n", problem.c_str());
  return problems.empty() ? kExitOk : kExitFailed;
}
