#pragma once
// Release files a test offers, signed as the reference server keeps them: the
// detached signature beside each file as <file>.sig. The demo release key
// (named by LARKBAY_DEMO_KEY_FILE) is the one test builds trust. Failures come
// back as results, so tests of any framework can check them.

#include <filesystem>
#include <string>
#include <string_view>

namespace larkbay::test {

// The demo release key's private half, as PEM; empty when
// LARKBAY_DEMO_KEY_FILE names no readable file.
const std::string& DemoKeyPem();

// A key this build does not trust, for signatures by someone else.
extern const std::string_view kOtherKeyPem;

// The signature text of `bytes` by `keyPem`; empty when the key signs nothing.
std::string SignatureOf(std::string_view bytes, std::string_view keyPem = DemoKeyPem());

// Writes `file`.sig with the signature of the file's bytes; false when the
// file cannot be read, the key signs nothing or the signature is not written.
bool SignBeside(const std::filesystem::path& file, std::string_view keyPem = DemoKeyPem());

// Signs every file directly in `folder` that is not itself a signature.
bool SignFolder(const std::filesystem::path& folder);

}  // namespace larkbay::test
