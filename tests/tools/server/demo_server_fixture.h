#pragma once
// One server for a whole test suite, with a downloads folder holding an
// updater, a program file, an engine pack and the pack's cef.pak digest.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/server_request.h"
#include "server_process.h"

namespace larkbay::test {

inline constexpr char kUpdaterBytes[] = "updater program bytes";
inline constexpr char kEnginePackBytes[] = "engine pack bytes, three pieces";
inline constexpr char kCefPakMd5[] = "0123456789abcdef0123456789abcdef";

class DemoServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    downloads_ = new TempFolder;
    WriteFile(downloads_->Path() / "Update.exe", kUpdaterBytes);
    WriteFile(downloads_->Path() / "Enginepack", kEnginePackBytes);
    WriteFile(downloads_->Path() / "cef.pak.md5", std::string(kCefPakMd5) + "\n");
    server_ = new ServerProcess(downloads_->Path());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    delete downloads_;
    downloads_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server_->Ready()) << server_->Output(); }

  static const std::string& Base() { return server_->Base(); }
  // A client of our own per test: each measures the server clock afresh.
  std::string Ask(std::string_view path, std::string_view data, int decode = 1) {
    if (!client_) client_ = std::make_unique<ServerClient>(Base());
    return client_->ServerRequest(path, data, 1, decode);
  }

  static inline TempFolder* downloads_ = nullptr;
  static inline ServerProcess* server_ = nullptr;
  std::unique_ptr<ServerClient> client_;
};

}  // namespace larkbay::test
