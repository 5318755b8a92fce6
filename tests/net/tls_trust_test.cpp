// Which CA file the exchanges trust: the variable over the program's setting.
#include "net/tls_trust.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace larkbay {
namespace {

TEST(TlsTrustTest, VariableWinsOverTheSettingAndEmptyMeansUnset) {
  struct Case {
    const char* variable;  // nullptr: not set
    const char* setting;
    const char* trusted;
  };
  const Case cases[] = {
      {nullptr, "", ""},
      {nullptr, "/etc/lark/ca.pem", "/etc/lark/ca.pem"},
      {"/tmp/env-ca.pem", "", "/tmp/env-ca.pem"},
      {"/tmp/env-ca.pem", "/etc/lark/ca.pem", "/tmp/env-ca.pem"},
      {"", "/etc/lark/ca.pem", "/etc/lark/ca.pem"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable ? c.variable : "(unset)") + " / " + c.setting);
    if (c.variable == nullptr) {
      ::unsetenv(kCaFileVariable);
    } else {
      ::setenv(kCaFileVariable, c.variable, 1);
    }
    SetConfiguredCaFile(c.setting);
    EXPECT_EQ(TrustedCaFile(), c.trusted);
  }
  ::unsetenv(kCaFileVariable);
  SetConfiguredCaFile("");
}

}  // namespace
}  // namespace larkbay
