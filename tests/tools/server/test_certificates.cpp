#include "test_certificates.h"

#include <cstdlib>
#include <fstream>

namespace larkbay::test {
namespace {

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// EC keys: quick to make, and every TLS library here takes them.
constexpr const char* kNewKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

bool Run(const std::string& command, TestCertificates& made) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) == 0) return true;
  made.error = command;
  return false;
}

}  // namespace

TestCertificates MakeTestCertificates(const std::filesystem::path& folder) {
  TestCertificates out;
  out.caCert = folder / "ca.pem";
  const auto caKey = folder / "ca.key";
  out.serverCert = folder / "server.pem";
  out.serverKey = folder / "server.key";
  out.evilCert = folder / "evil.pem";
  out.evilKey = folder / "evil.key";
  const auto request = folder / "server.csr";
  const auto extensions = folder / "server.ext";
  {
    std::ofstream ext(extensions);
    ext << "basicConstraints=critical,CA:FALSE\n"
           "keyUsage=critical,digitalSignature\n"
           "extendedKeyUsage=serverAuth\n"
           "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
  }
  out.made =
      Run(std::string("openssl req -x509 ") + kNewKey + " -days 2 -subj '/CN=Lark-Bay Test CA'" +
              " -addext basicConstraints=critical,CA:TRUE" +
              " -addext keyUsage=critical,keyCertSign,cRLSign -keyout " + Quoted(caKey) +
              " -out " + Quoted(out.caCert),
          out) &&
      Run(std::string("openssl req -new ") + kNewKey + " -subj /CN=localhost -keyout " +
              Quoted(out.serverKey) + " -out " + Quoted(request),
          out) &&
      Run("openssl x509 -req -days 2 -in " + Quoted(request) + " -CA " + Quoted(out.caCert) +
              " -CAkey " + Quoted(caKey) + " -set_serial 2 -extfile " + Quoted(extensions) +
              " -out " + Quoted(out.serverCert),
          out) &&
      Run(std::string("openssl req -x509 ") + kNewKey + " -days 2 -subj /CN=evil.example" +
              " -addext subjectAltName=DNS:evil.example -keyout " + Quoted(out.evilKey) +
              " -out " + Quoted(out.evilCert),
          out);
  return out;
}

}  // namespace larkbay::test
