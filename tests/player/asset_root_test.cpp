// The asset root of the player page, from the API base.
#include "player/asset_root.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace larkbay {
namespace {

// The root of the API host, over https when the API is, else over http.
TEST(AssetRoot, IsTheRootOfTheApiHostWithItsScheme) {
  struct Case {
    std::string base;
    std::string root;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8731", "http://127.0.0.1:8731/"},
      {"http://api.example", "http://api.example/"},
      {"http://api.example/", "http://api.example/"},
      {"https://api.example", "https://api.example/"},
      {"https://api.example:8443/v2", "https://api.example:8443/"},
      {"HTTPS://Api.Example/x", "https://Api.Example/"},
      {"https://user:pw@h:3/x?k=v", "https://h:3/"},
      {"https://[::1]:8443/api", "https://[::1]:8443/"},
      // Schemes that only look like https, and others: plain http as ever.
      {"httpss://api.example", "http://api.example/"},
      {"http-s://api.example", "http://api.example/"},
      {"ftp://api.example:21/pub", "http://api.example:21/"},
      {"ws://api.example", "http://api.example/"},
      {"https://", ""},
      {"http://h:1/api", "http://h:1/"},
      {"http://h:1/api/?k=v", "http://h:1/"},
      {"http://h:1?k=v", "http://h:1/"},
      {"HTTP://Api.Example:080", "http://Api.Example:080/"},
      {"api.example:9000", "http://api.example:9000/"},
      {"api.example/api", "http://api.example/"},
      {"http://user:pw@h:2/x", "http://h:2/"},
      {"http://[::1]:8731/api", "http://[::1]:8731/"},
      {"", ""},
      {"http://", ""},
      {"http:///api", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base);
    EXPECT_EQ(AssetRootFor(c.base), c.root);
  }
}

// Sets LARKBAY_API_BASE for one test and restores what was there.
class ApiBaseEnv : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv("LARKBAY_API_BASE")) saved_ = value;
  }
  void TearDown() override {
    if (saved_) {
      setenv("LARKBAY_API_BASE", saved_->c_str(), 1);
    } else {
      unsetenv("LARKBAY_API_BASE");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(ApiBaseEnv, DefaultRootFollowsTheApiBaseOverride) {
  setenv("LARKBAY_API_BASE", "https://other.example:4443/gateway/", 1);
  EXPECT_EQ(DefaultAssetRoot(), "https://other.example:4443/");
  setenv("LARKBAY_API_BASE", "http://other.example:8080/gateway/", 1);
  EXPECT_EQ(DefaultAssetRoot(), "http://other.example:8080/");
  setenv("LARKBAY_API_BASE", "10.0.0.7:81", 1);
  EXPECT_EQ(DefaultAssetRoot(), "http://10.0.0.7:81/");
}

TEST_F(ApiBaseEnv, DefaultRootWithoutOverrideIsTheBuildSetting) {
  const std::string configured = LARKBAY_ASSET_ROOT_DEFAULT;
  const std::string expected = configured.empty()
                                   ? AssetRootFor(LARKBAY_API_BASE_DEFAULT)
                                   : (configured.ends_with('/') ? configured : configured + "/");
  unsetenv("LARKBAY_API_BASE");
  EXPECT_EQ(DefaultAssetRoot(), expected);
  setenv("LARKBAY_API_BASE", "", 1);
  EXPECT_EQ(DefaultAssetRoot(), expected);
  EXPECT_TRUE((expected.starts_with("http://") || expected.starts_with("https://")) &&
              expected.ends_with('/'))
      << expected;
}

}  // namespace
}  // namespace larkbay
