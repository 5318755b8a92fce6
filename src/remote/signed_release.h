#pragma once
// Files the program runs or loads come signed by the maker's release key:
// the signature of a file at an address lies at that address followed by
// ".sig", and beside a file on disk as the file's name followed by ".sig".

#include <string>

#include "platform/file_system.h"

namespace larkbay {

struct SignedFile {
  std::string bytes;
  std::string signature;  // Base64 text
};

// Downloads `address` and its signature; true only when both came and the
// signature is the release key's over the bytes. The developers' log names
// what was wrong.
bool FetchSignedRelease(const std::string& address, SignedFile& file);

// Reads `path` and `path`.sig; true only for a good signature.
bool ReadSignedFile(const std::string& path, SignedFile& file);

// Writes the signature beside `path`, then the file, each whole.
bool WriteSignedFile(const std::string& path, const SignedFile& file,
                     FileKind kind = FileKind::kData);

}  // namespace larkbay
