// Text, encoding and hashing helpers on standard input.
#include "cli_command.h"
#include "services/text/text_helpers.h"

namespace larkbay::cli {
namespace {

int Base64Command(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("usage: base64 encode|decode");
  if (args[0] == "encode") return PrintText(Base64Encode(ReadStdin()));
  if (args[0] == "decode") return WriteBytes(Base64Decode(ReadStdin()));
  return UsageError("base64: unknown operation '" + args[0] + "' (encode or decode)");
}

int SwapCaseCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("usage: swapcase");
  return PrintText(SwapLetterCase(ReadStdin()));
}

int Md5Command(const std::vector<std::string>& args) {
  if (args.size() > 1 || (args.size() == 1 && args[0] != "--upper")) {
    return UsageError("usage: md5 [--upper]");
  }
  return PrintText(Md5Hex(ReadStdin(), args.size() == 1));
}

int Utf8ToGbkCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("usage: utf8-to-gbk");
  return WriteBytes(TextToGbk(Utf8ToText(ReadStdin())));
}

int GbkToUtf8Command(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("usage: gbk-to-utf8");
  return WriteBytes(TextToUtf8(GbkToText(ReadStdin())));
}

const CommandRegistration base64{
    "base64", "base64 encode|decode      bytes to Base64 text, or Base64 text to bytes",
    &Base64Command};
const CommandRegistration swapcase{
    "swapcase", "swapcase                  text with ASCII letter case swapped", &SwapCaseCommand};
const CommandRegistration md5{"md5", "md5 [--upper]             MD5 of the bytes as 32 hex digits",
                              &Md5Command};
const CommandRegistration utf8ToGbk{"utf8-to-gbk",
                                    "utf8-to-gbk               UTF-8 bytes to GBK (GB18030) bytes",
                                    &Utf8ToGbkCommand};
const CommandRegistration gbkToUtf8{"gbk-to-utf8",
                                    "gbk-to-utf8               GBK (GB18030) bytes to UTF-8 bytes",
                                    &GbkToUtf8Command};

}  // namespace
}  // namespace larkbay::cli
