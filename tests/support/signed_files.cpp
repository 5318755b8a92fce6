#include "signed_files.h"

#include <gtest/gtest.h>

#include "server_process.h"

namespace larkbay::test {

void WriteSigned(const std::filesystem::path& file, std::string_view bytes) {
  WriteFile(file, bytes);
  EXPECT_FALSE(DemoKeyPem().empty()) << "no demo key file";
  EXPECT_TRUE(SignBeside(file)) << "the demo key signs";
}

}  // namespace larkbay::test
