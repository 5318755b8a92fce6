#pragma once
// Builds the engine pack: both archivers and the encrypted zip of an engine
// folder, each padded with zeros to its piece length.

#include <string>

namespace larkbay::enginepack {

struct PackInputs {
  std::string archiver32;
  std::string archiver64;  // empty: archiver32 fills both pieces
  std::string engineDir;
  std::string password;  // empty: the client's own
};

struct PackResult {
  bool ok = false;
  std::string error;   // why not, when !ok
  std::string pack;    // the whole pack
  std::string cefPak;  // contents of engineDir/cef.pak
  bool hasCefPak = false;
};

PackResult BuildPack(const PackInputs& inputs);

// Writes beside `path` first and renames, so that a failure leaves no file.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace larkbay::enginepack
