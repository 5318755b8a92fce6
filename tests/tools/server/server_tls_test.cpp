// Every exchange of the client, the CLI and the updater's download, against
// the reference server serving https: certificates are checked against the
// system's store and the CA that LARKBAY_CA_FILE or the settings name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <mutex>
#include <vector>

#include "cli_run.h"
#include "download.h"
#include "net/http_request_engine.h"
#include "net/inet_request.h"
#include "net/server_request.h"
#include "net/tls_trust.h"
#include "server_process.h"
#include "services/log/developer_log.h"
#include "services/text/text_helpers.h"
#include "test_certificates.h"
#include "update_job.h"

namespace larkbay::test {
namespace {

constexpr char kFileBytes[] = "updater program bytes over https";
constexpr std::string_view kAddressScript = "Lark-Bay/Tool/Api/Config/up-file-path.php";
constexpr char kUnreachable[] = "http://127.0.0.1:9";

class SilentReport : public updater::UpdateReport {
 public:
  void Step(updater::UpdateStep, const std::string&) override {}
  void Progress(std::uint64_t, std::int64_t) override {}
  void Failure(const std::string& why) override { failure = why; }
  std::string failure;
};

// One exchange of each kind the program makes; true when it got its answer.
struct Exchange {
  const char* name;
  std::function<bool(const std::string& base)> works;
};

bool UpdaterDownload(const std::string& url, const std::filesystem::path& target) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  SilentReport report;
  const updater::DownloadResult result = updater::DownloadToFile(url, fd, report);
  ::close(fd);
  return result.ok && ReadFile(target) == kFileBytes;
}

std::vector<Exchange> Exchanges(const std::filesystem::path& scratch) {
  return {
      {"gateway request",
       [](const std::string& base) {
         ServerClient client(base);
         return !client.ServerRequest(kAddressScript, "fileName=Updata", 1, 1).empty();
       }},
      {"gateway engine",
       [](const std::string& base) {
         std::string status;
         HttpRequestArgs args;
         const std::string url = base + "/server_to_get.php";
         args.url = url;
         args.status = &status;
         HttpRequestEngine(args);
         return status == "200 OK";
       }},
      {"HEAD size",
       [](const std::string& base) {
         std::string headers;
         InetRequest(base + "/download/Update.exe", 2, {}, {}, nullptr, {}, &headers);
         return HeaderValue(headers, "Content-Length") == std::to_string(sizeof kFileBytes - 1);
       }},
      {"address resolution",
       [](const std::string& base) {
         return ResolveDownloadUrl(base + "/go/Update.exe") == base + "/download/Update.exe";
       }},
      {"file download",
       [](const std::string& base) {
         return InetRequest(base + "/download/Update.exe") == kFileBytes;
       }},
      {"updater download",
       [scratch](const std::string& base) {
         return UpdaterDownload(base + "/download/Update.exe", scratch / "Update.exe");
       }},
  };
}

class TlsServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    certs_ = new TestCertificates(MakeTestCertificates(folder_->Path()));
    std::filesystem::create_directories(folder_->Path() / "downloads");
    WriteFile(folder_->Path() / "downloads/Update.exe", kFileBytes);
    if (!certs_->made) return;
    const auto downloads = folder_->Path() / "downloads";
    trusted_ = new ServerProcess(downloads, {"--tls-cert", certs_->serverCert.string(),
                                             "--tls-key", certs_->serverKey.string()});
    evil_ = new ServerProcess(downloads, {"--tls-cert", certs_->evilCert.string(), "--tls-key",
                                          certs_->evilKey.string()});
  }
  static void TearDownTestSuite() {
    delete trusted_;
    delete evil_;
    delete certs_;
    delete folder_;
    trusted_ = evil_ = nullptr;
    certs_ = nullptr;
    folder_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(certs_->made) << certs_->error;
    ASSERT_TRUE(trusted_->Ready()) << trusted_->Output();
    ASSERT_TRUE(evil_->Ready()) << evil_->Output();
    ASSERT_EQ(trusted_->Base().rfind("https://127.0.0.1:", 0), 0u) << trusted_->Base();
    ::unsetenv(kCaFileVariable);
    SetConfiguredCaFile("");
    SetLogSink([this](LogArea area, std::string_view message) {
      std::lock_guard lock(logMutex_);
      if (area == LogArea::kNet) log_ += std::string(message) + "\n";
    });
  }
  void TearDown() override {
    SetLogSink({});
    ::unsetenv(kCaFileVariable);
    SetConfiguredCaFile("");
  }

  std::string TakeLog() {
    std::lock_guard lock(logMutex_);
    return std::exchange(log_, {});
  }

  static inline TempFolder* folder_ = nullptr;
  static inline TestCertificates* certs_ = nullptr;
  static inline ServerProcess* trusted_ = nullptr;
  static inline ServerProcess* evil_ = nullptr;
  std::mutex logMutex_;
  std::string log_;
};

enum class Ca { kNone, kTestCa, kEvilItself, kMissingFile };

TEST_F(TlsServerTest, EveryExchangeTrustsOnlyTheSystemStoreAndTheNamedCa) {
  struct Case {
    const char* what;
    Ca variable;
    Ca setting;
    bool evilServer;
    bool accepted;
    const char* cause;  // in the developers' log when refused
  };
  const Case cases[] = {
      {"self-signed server, nothing named", Ca::kNone, Ca::kNone, true, false,
       "SSL certificate problem: self-signed certificate"},
      {"self-signed server, the test CA named", Ca::kTestCa, Ca::kNone, true, false,
       "SSL certificate problem: self-signed certificate"},
      {"self-signed certificate named, wrong host", Ca::kEvilItself, Ca::kNone, true, false,
       "no alternative certificate subject name matches target host name '127.0.0.1'"},
      {"private CA, nothing named", Ca::kNone, Ca::kNone, false, false,
       "SSL certificate problem: unable to get local issuer certificate"},
      {"private CA named by the variable", Ca::kTestCa, Ca::kNone, false, true, ""},
      {"private CA named by the settings", Ca::kNone, Ca::kTestCa, false, true, ""},
      {"the variable wins over the settings", Ca::kEvilItself, Ca::kTestCa, false, false,
       "SSL certificate problem: unable to get local issuer certificate"},
      {"the variable wins, also when right", Ca::kTestCa, Ca::kMissingFile, false, true, ""},
      {"a named file that is not there", Ca::kMissingFile, Ca::kNone, false, false,
       "no-such-ca.pem"},
  };
  const auto path = [&](Ca ca) -> std::string {
    switch (ca) {
      case Ca::kTestCa: return certs_->caCert.string();
      case Ca::kEvilItself: return certs_->evilCert.string();
      case Ca::kMissingFile: return (folder_->Path() / "no-such-ca.pem").string();
      case Ca::kNone: break;
    }
    return {};
  };
  for (const Case& c : cases) {
    if (c.variable == Ca::kNone) {
      ::unsetenv(kCaFileVariable);
    } else {
      ::setenv(kCaFileVariable, path(c.variable).c_str(), 1);
    }
    SetConfiguredCaFile(path(c.setting));
    const std::string& base = (c.evilServer ? evil_ : trusted_)->Base();
    for (const Exchange& exchange : Exchanges(folder_->Path())) {
      SCOPED_TRACE(std::string(c.what) + " / " + exchange.name);
      TakeLog();
      EXPECT_EQ(exchange.works(base), c.accepted);
      const std::string log = TakeLog();
      if (!c.accepted) {
        EXPECT_NE(log.find(c.cause), std::string::npos) << log;
      }
    }
  }
}

// The updater is started with no environment of the client's choosing: it
// finds the private CA in the client's settings beside its record.
TEST_F(TlsServerTest, TheUpdaterTrustsTheCaOfTheClientsSettings) {
  const std::filesystem::path data = folder_->Path() / "client-data";
  std::filesystem::create_directories(data);
  const std::string record = (data / "program_updata_config").string();
  const std::string url = trusted_->Base() + "/download/Update.exe";
  updater::TrustCaOfClientSettings(record);
  EXPECT_FALSE(UpdaterDownload(url, data / "Update.exe")) << "no settings, no private CA";
  WriteFile(data / "Config.ini", "[Lark-Bay]\nCaFile=" + certs_->caCert.string() + "\n");
  updater::TrustCaOfClientSettings(record);
  EXPECT_TRUE(UpdaterDownload(url, data / "Update.exe"));
  ::setenv(kCaFileVariable, certs_->evilCert.string().c_str(), 1);
  EXPECT_FALSE(UpdaterDownload(url, data / "Update.exe")) << "the variable wins";
}

TEST_F(TlsServerTest, RefusedCertificateFailsLikeAnUnreachableServer) {
  const auto statusOf = [](const std::string& base) {
    std::string status = "untouched";
    std::string headers = "untouched";
    HttpRequestArgs args;
    const std::string url = base + "/server_to_get.php";
    args.url = url;
    args.method = 1;
    args.body = "data=x";
    args.status = &status;
    args.responseHeaders = &headers;
    const std::string body = HttpRequestEngine(args);
    return body + "|" + status + "|" + headers;
  };
  const auto inetOf = [](const std::string& base) {
    std::string headers = "untouched";
    std::string cookies = "untouched";
    const Bytes body = InetRequest(base + "/download/Update.exe", 0, {}, {}, &cookies, {}, &headers);
    return body + "|" + headers + "|" + cookies;
  };
  const std::string unreachableStatus = statusOf(kUnreachable);
  EXPECT_EQ(unreachableStatus, std::string("|") + std::string(http_status::kSendFailed) + "|untouched");
  EXPECT_EQ(statusOf(evil_->Base()), unreachableStatus);
  EXPECT_EQ(statusOf(trusted_->Base()), unreachableStatus);
  EXPECT_EQ(inetOf(evil_->Base()), inetOf(kUnreachable));
  ServerClient client(evil_->Base());
  EXPECT_EQ(client.ServerRequest(kAddressScript, "fileName=Updata", 1, 1), "");
  EXPECT_FALSE(client.ClockMeasured());
}

TEST_F(TlsServerTest, PlainHttpServerIsUntouchedByANamedCa) {
  ServerProcess plain(folder_->Path() / "downloads");
  ASSERT_TRUE(plain.Ready()) << plain.Output();
  ASSERT_EQ(plain.Base().rfind("http://", 0), 0u);
  for (const char* named : {"", "missing"}) {
    SetConfiguredCaFile(*named != '\0' ? (folder_->Path() / "no-such-ca.pem").string() : "");
    for (const Exchange& exchange : Exchanges(folder_->Path())) {
      SCOPED_TRACE(std::string(named) + " / " + exchange.name);
      EXPECT_TRUE(exchange.works(plain.Base()));
    }
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TlsServerTest, CliTakesTheCaFromTheVariableOrTheDataFoldersSettings) {
  const auto fetch = [&](const std::filesystem::path& setting) {
    TempFolder appdata;
    if (!setting.empty()) {
      WriteFile(appdata.Path() / "Config.ini", "[Lark-Bay]\nCaFile=" + setting.string() + "\n");
    }
    return Cli(trusted_->Base(), "config fetch --appdata '" + appdata.Path().string() + "'", {},
               true);
  };
  const std::string refused =
      "lark-bay-cli: 失联！！！ 无法与Lark-Bay服务器进行通讯,请检测网络连接状态。\n";
  const std::string fetched = "服务器->初始化\t√\n推荐歌单->初始化\t√\n";
  CliRun run = fetch({});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, refused);
  run = fetch(certs_->caCert);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, fetched);
  // The CLI inherits the variable, which wins over the folder's settings.
  ::setenv(kCaFileVariable, certs_->evilCert.c_str(), 1);
  EXPECT_EQ(fetch(certs_->caCert).out, refused);
  ::setenv(kCaFileVariable, certs_->caCert.c_str(), 1);
  EXPECT_EQ(fetch({}).out, fetched);
}

}  // namespace
}  // namespace larkbay::test
