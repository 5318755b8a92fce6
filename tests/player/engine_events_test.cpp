// The program's answers to the engine's start-up events, against a recording
// stand-in for the library: what is handed to the engine, with which values,
// in which order.

#include "player/engine_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/engine_page_host.h"

namespace larkbay {
namespace {

std::vector<std::string> calls;

std::string Text(const char* value) { return value ? value : "(null)"; }
void Record(std::string call) { calls.push_back(std::move(call)); }

// Distinct non-null handles the stand-in gives out.
AquaWindowInfo* const kWindowInfo = reinterpret_cast<AquaWindowInfo*>(0x10);
AquaBrowserSettings* const kBrowserSettings = reinterpret_cast<AquaBrowserSettings*>(0x20);
AquaBrowserHost* const kHost = reinterpret_cast<AquaBrowserHost*>(0x30);

EngineLibrary RecordingLibrary() {
  EngineLibrary e;
  e.AquaRelease = [](void* o) { Record("Release " + std::to_string(reinterpret_cast<uintptr_t>(o))); };
  e.AquaInitCachePathA = [](AquaSettings*, const char* v) { Record("CachePath " + Text(v)); };
  e.AquaInitUserDataA = [](AquaSettings*, const char* v) { Record("UserData " + Text(v)); };
  e.AquaInitWindowlessRenderingEnabled = [](AquaSettings*, bool v) {
    Record("Windowless " + std::to_string(v));
  };
  e.AquaInitPersistSessionCookies = [](AquaSettings*, bool v) {
    Record("SessionCookies " + std::to_string(v));
  };
  e.AquaInitPersistUserPreferences = [](AquaSettings*, bool v) {
    Record("UserPreferences " + std::to_string(v));
  };
  e.AquaInitUserAgentA = [](AquaSettings*, const char* v) { Record("UserAgent " + Text(v)); };
  e.AquaInitProductVersionA = [](AquaSettings*, const char* v) { Record("Product " + Text(v)); };
  e.AquaInitLocaleA = [](AquaSettings*, const char* v) { Record("Locale " + Text(v)); };
  e.AquaInitRemoteDebuggingPort = [](AquaSettings*, int v) {
    Record("DebuggingPort " + std::to_string(v));
  };
  e.AquaInitIgnoreCertificateErrors = [](AquaSettings*, bool v) {
    Record("IgnoreCertificates " + std::to_string(v));
  };
  e.AquaInitAcceptLanguageListA = [](AquaSettings*, const char* v) {
    Record("AcceptLanguage " + Text(v));
  };
  e.AquaCommandLineAppendSwitchWithValueA = [](AquaCommandLine*, const char* n, const char* v) {
    Record("Switch " + Text(n) + "=" + Text(v));
    return true;
  };
  e.AquaWindowCreate = [] {
    Record("WindowCreate");
    return kWindowInfo;
  };
  e.AquaWindowSetAsChild = [](AquaWindowInfo* info, uintptr_t parent, int x, int y, int w, int h) {
    Record("SetAsChild " + std::to_string(info == kWindowInfo) + " " + std::to_string(parent) + " " +
           std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
           std::to_string(h));
  };
  e.AquaTypeBsCreate = [] {
    Record("BrowserSettings");
    return kBrowserSettings;
  };
  e.AquaBrowserHostCreateBrowserA = [](AquaWindowInfo* info, const char* url,
                                       AquaBrowserSettings* settings) {
    Record("CreateBrowser " + std::to_string(info == kWindowInfo) + " " + Text(url) + " " +
           std::to_string(settings == kBrowserSettings));
    return true;
  };
  e.AquaBrowserGetHost = [](AquaBrowser*) { return kHost; };
  e.AquaBrowserHostGetWindowHandle = [](AquaBrowserHost* host) -> uintptr_t {
    return host == kHost ? 4242 : 0;
  };
  return e;
}

class EngineEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { calls.clear(); }
  EngineLibrary engine = RecordingLibrary();
};

TEST_F(EngineEventsTest, SettingsNameTheProfileFolderAndLocaleAndPassEveryFlag) {
  OnEngineSettings(engine, nullptr, "/home/u/.local/share/Lark-Bay/");
  const std::vector<std::string> expected = {
      "CachePath /home/u/.local/share/Lark-Bay/Userdata",
      "UserData /home/u/.local/share/Lark-Bay/Userdata",
      "Windowless 0",
      "SessionCookies 1",
      "UserPreferences 1",
      "Locale zh-CN",
      "DebuggingPort 0",
      "IgnoreCertificates 0",
  };
  EXPECT_EQ(calls, expected);  // no user agent, product version or languages
}

TEST_F(EngineEventsTest, CommandLineCarriesEmptyFlashSwitchesThenTheAutoplayPolicy) {
  OnEngineCommandLine(engine, nullptr);
  const std::vector<std::string> expected = {
      "Switch ppapi-flash-version=",
      "Switch ppapi-flash-path=",
      "Switch autoplay-policy=no-user-gesture-required",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(EngineEventsTest, ReadyCreatesOneBrowserFillingTheStripAndReleasesWhatItMade) {
  OnEngineReady(engine, BrowserParent{777, 650, 61});
  const std::vector<std::string> expected = {
      "WindowCreate",
      "SetAsChild 1 777 0,0,650,61",
      "BrowserSettings",
      "CreateBrowser 1 about:blank 1",
      "Release " + std::to_string(reinterpret_cast<uintptr_t>(kBrowserSettings)),
      "Release " + std::to_string(reinterpret_cast<uintptr_t>(kWindowInfo)),
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(EngineEventsTest, BrowserCreatedAnswersTheHostWindowAndReleasesTheHost) {
  EXPECT_EQ(OnBrowserCreated(engine, reinterpret_cast<AquaBrowser*>(0x40)), 4242u);
  const std::vector<std::string> expected = {
      "Release " + std::to_string(reinterpret_cast<uintptr_t>(kHost))};
  EXPECT_EQ(calls, expected);
  EXPECT_TRUE(OnContextMenu());
}

TEST(EnginePageHostTest, WithoutALibraryNothingRunsAndPagesAreRefused) {
  EnginePageHost host("/tmp/larkbay-no-data/");
  EXPECT_FALSE(host.Start("/tmp/larkbay-no-engine/", BrowserParent{1, 650, 61}));
  EXPECT_FALSE(host.Running());
  EXPECT_NE(host.Failure().find("libaquarius.so"), std::string::npos) << host.Failure();
  EXPECT_EQ(host.BrowserHandle(), 0u);
  EXPECT_FALSE(host.LoadPage("<html></html>"));
  EXPECT_FALSE(host.RunScript("1"));
  EXPECT_FALSE(host.StartDownload("http://127.0.0.1/x.mp3"));
  // A failed start is not retried within the run.
  EXPECT_FALSE(host.Start("/tmp/larkbay-no-engine/", BrowserParent{1, 650, 61}));
}

}  // namespace
}  // namespace larkbay
