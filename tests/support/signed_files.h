#pragma once
// Files a test's server offers as releases: each with its detached signature
// by the demo release key (which the test build trusts) beside it.

#include <filesystem>
#include <string>
#include <string_view>

namespace larkbay::test {

// The demo release key's private half, as PEM.
const std::string& DemoKeyPem();

// A key this build does not trust, for signatures by someone else.
extern const std::string_view kOtherKeyPem;

// Writes `bytes` to `file` and their signature by the demo key to `file`.sig.
void WriteSigned(const std::filesystem::path& file, std::string_view bytes);

}  // namespace larkbay::test
