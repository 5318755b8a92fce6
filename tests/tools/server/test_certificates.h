#pragma once
// Certificates made at run time for the TLS tests, with the openssl program:
// a test CA, a server certificate it signed for 127.0.0.1 and localhost, and a
// self-signed certificate for evil.example. No key is ever kept in the tree.

#include <filesystem>
#include <string>

namespace larkbay::test {

struct TestCertificates {
  bool made = false;
  std::string error;  // the openssl step that failed, when not made
  std::filesystem::path caCert;      // PEM of the test CA
  std::filesystem::path serverCert;  // signed by the test CA: 127.0.0.1, localhost
  std::filesystem::path serverKey;
  std::filesystem::path evilCert;  // self-signed, CN=evil.example
  std::filesystem::path evilKey;
};

// Makes the files in `folder` (which must exist).
TestCertificates MakeTestCertificates(const std::filesystem::path& folder);

}  // namespace larkbay::test
