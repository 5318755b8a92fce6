// lark-bay-enginepack: writes the engine pack the client installs the browser
// engine from.
//
//   lark-bay-enginepack --archiver PATH [--archiver64 PATH] --engine-dir DIR --out FILE
//                       [--password TEXT]
//
// The archive is encrypted with the client's password unless another is given.
// Prints "md5 <digest of the pack>" and, when DIR holds cef.pak,
// "cef_32_md5 <digest of cef.pak>" (the values of the configuration's Engine
// object). Exit status: 0 written, 1 failed (no file written), 2 bad command line.

#include <cstdio>
#include <string>
#include <string_view>

#include "pack_builder.h"
#include "services/text/text_helpers.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "lark-bay-enginepack: %s\n"
               "usage: lark-bay-enginepack --archiver PATH [--archiver64 PATH] --engine-dir DIR "
               "--out FILE [--password TEXT]\n",
               why.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  larkbay::enginepack::PackInputs inputs;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::string* target = arg == "--archiver"     ? &inputs.archiver32
                          : arg == "--archiver64" ? &inputs.archiver64
                          : arg == "--engine-dir" ? &inputs.engineDir
                          : arg == "--out"        ? &out
                          : arg == "--password"   ? &inputs.password
                                                  : nullptr;
    if (target == nullptr) return Usage("unknown argument " + std::string(arg));
    if (i + 1 >= argc || argv[i + 1][0] == '\0') return Usage(std::string(arg) + " needs a value");
    *target = argv[++i];
  }
  if (inputs.archiver32.empty() || inputs.engineDir.empty() || out.empty()) {
    return Usage("--archiver, --engine-dir and --out are required");
  }

  const larkbay::enginepack::PackResult result = larkbay::enginepack::BuildPack(inputs);
  std::string error = result.error;
  if (!result.ok || !larkbay::enginepack::WriteFileAtomically(out, result.pack, error)) {
    std::fprintf(stderr, "lark-bay-enginepack: %s\n", error.c_str());
    return kExitFailed;
  }
  std::printf("md5 %s\n", larkbay::Md5Hex(result.pack, false).c_str());
  if (result.hasCefPak) {
    std::printf("cef_32_md5 %s\n", larkbay::Md5Hex(result.cefPak, false).c_str());
  }
  return kExitOk;
}
