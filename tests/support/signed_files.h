#pragma once
// GoogleTest's side of the release signing: files a test's server offers,
// each with its signature by the demo release key beside it.

#include <filesystem>
#include <string_view>

#include "release_signing.h"

namespace larkbay::test {

// Writes `bytes` to `file` and their signature by the demo key to `file`.sig;
// a failed check when the demo key signs nothing.
void WriteSigned(const std::filesystem::path& file, std::string_view bytes);

}  // namespace larkbay::test
