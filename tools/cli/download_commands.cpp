// download: the names the download manager computes, for scripting and checks.
//   lark-bay-cli download temp-name LENGTH NAME   the temporary file's name
//   lark-bay-cli download url-ext URL              the extension the URL gives
//   lark-bay-cli download size-text BYTES          the size cell's text
//   lark-bay-cli download file-name NAME           the safe file name
//   lark-bay-cli download final-name DIR NAME      the path a finished NAME gets in DIR now
#include <string>
#include <vector>

#include "cli_command.h"
#include "downloads/download_names.h"
#include "platform/file_system.h"

namespace larkbay::cli {
namespace {

int Download(const std::vector<std::string>& args) {
  const std::string what = args.empty() ? std::string() : args[0];
  if (what == "temp-name" && args.size() == 3) return PrintText(TempFileName(args[1], args[2]));
  if (what == "url-ext" && args.size() == 2) return PrintText(UrlExtension(args[1]));
  if (what == "size-text" && args.size() == 2) {
    const std::string& bytes = args[1];
    if (bytes.empty() || bytes.size() > 18 || bytes.find_first_not_of("0123456789") != std::string::npos)
      return UsageError("size-text takes a byte count");
    return PrintText(SizeText(std::stoll(bytes)));
  }
  if (what == "file-name" && args.size() == 2) return PrintText(SafeFileName(args[1]));
  if (what == "final-name" && args.size() == 3) {
    std::string folder = args[1];
    if (folder.empty() || folder.back() != '/') folder += '/';
    return PrintText(FinalPath(folder, args[2], PathExists));
  }
  return UsageError(
      "download temp-name LENGTH NAME | url-ext URL | size-text BYTES | file-name NAME | "
      "final-name DIR NAME");
}

CommandRegistration downloadRegistration{
    "download",
    "download temp-name LENGTH NAME | url-ext URL | size-text BYTES | file-name NAME | "
    "final-name DIR NAME",
    &Download};

}  // namespace
}  // namespace larkbay::cli
