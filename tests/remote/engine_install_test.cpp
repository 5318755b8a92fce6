// The engine installation from a real pack (built by lark-bay-enginepack,
// extracted by the real Engine.exe) into a data folder of its own, and the
// download route when there is no usable pack.
#include "remote/engine_install.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/config_ini.h"
#include "platform/processes.h"
#include "remote/engine_pack.h"
#include "remote/program_config.h"
#include "remote/remote_paths.h"
#include "remote/updater_record.h"
#include "services/signature/release_signature.h"
#include "services/text/text_helpers.h"
#include "signed_files.h"
#include "step_fixture.h"

namespace larkbay::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// An engine folder and the pack made of it.
struct Pack {
  explicit Pack(const char* password = nullptr) {
    WriteFile(engine.Path() / "cef.pak", "the engine's resources, version 1");
    WriteFile(engine.Path() / "libaquarius.so", std::string(70000, 'x'));
    const fs::path out = folder.Path() / "Enginepack";
    std::vector<std::string> args = {"--archiver", LARKBAY_ARCHIVER_BINARY, "--engine-dir",
                                     engine.Path().string(), "--out", out.string()};
    if (password) args.insert(args.end(), {"--password", password});
    RunProgram(LARKBAY_ENGINEPACK_BINARY, args);
    bytes = ReadFile(out);
    md5 = Md5Hex(bytes, false);
    cefMd5 = Md5Hex(ReadFile(engine.Path() / "cef.pak"), false);
  }
  TempFolder folder;
  TempFolder engine;
  std::string bytes;
  std::string md5;
  std::string cefMd5;
};

struct Install {
  explicit Install(const std::string& server = "http://127.0.0.1:9") : f(server) {
    for (const char* control : {names::kBrowserControl, names::kPlayerView})
      f.controls.Add(control);
    MemoryControls::Control tabs;
    tabs.rect = {0, 29, 650, 600};
    f.controls.Add(names::kTabControl, tabs);
    fs::create_directories(desktop.Path());
    // A hand-over runs only a signed updater; this one does nothing.
    WriteSigned(f.File(kUpdaterFile), ReadFile("/bin/true"));
    fs::permissions(f.File(kUpdaterFile), fs::perms::owner_exec, fs::perm_options::add);
  }
  void Announce(const std::string& cefMd5, const std::string& packMd5) {
    ASSERT_TRUE(f.state.ProgramConfig.Parse(R"({"Program":{"Engine":{"cef_32_md5":")" + cefMd5 +
                                            R"(","md5":")" + packMd5 + R"("}}})"));
  }
  StepContext Context() {
    StepContext context = f.Context();
    context.desktopDir = desktop.Path().string() + "/";
    context.startEngine = [this](const std::string& folder) {
      started.push_back(folder);
      return engineStarts;
    };
    return context;
  }
  bool InCefLayout() {
    return f.controls.Get(names::kBrowserControl).visible &&
           !f.controls.Get(names::kPlayerView).visible &&
           f.controls.Get(names::kTabControl).rect.top == 29;
  }
  bool InIeLayout() {
    return !f.controls.Get(names::kBrowserControl).visible &&
           f.controls.Get(names::kPlayerView).visible &&
           f.controls.Get(names::kTabControl).rect.top == 0;
  }
  StepFixture f;
  TempFolder desktop;
  std::vector<std::string> started;
  bool engineStarts = true;
};

TEST(EngineInstall, GoodPackIsInstalledOnceAndTheNextStartUsesTheFolder) {
  Pack pack;
  ASSERT_EQ(pack.bytes.size(), kEnginePackLength);
  Install in;
  WriteSigned(in.desktop.Path() / "Enginepack", pack.bytes + "bytes after the pack");
  in.Announce(pack.cefMd5, Md5Hex(pack.bytes + "bytes after the pack", false));
  StepContext context = in.Context();
  ASSERT_TRUE(InstallEngine(context));
  EXPECT_EQ(in.f.state.appState.PlayerEngine, "cef");
  EXPECT_TRUE(in.InCefLayout());
  ASSERT_EQ(in.started.size(), 1u);
  EXPECT_EQ(in.started[0], in.f.DataDir() + "Engine/");
  EXPECT_EQ(ReadFile(in.f.File("Engine/libaquarius.so")), std::string(70000, 'x'));
  // The pack and the temporary files are gone; the 2 s settling wait was made.
  EXPECT_FALSE(fs::exists(in.desktop.Path() / "Enginepack"));
  EXPECT_FALSE(fs::exists(in.desktop.Path() / "Enginepack.sig"));
  EXPECT_FALSE(fs::exists(in.f.File("Engine.exe")));
  EXPECT_FALSE(fs::exists(in.f.File("Engine.cef")));
  EXPECT_NE(std::find(in.f.sleeps.begin(), in.f.sleeps.end(), 2000ms), in.f.sleeps.end());

  // Next start: the folder's cef.pak is right, the desktop is not looked at.
  ProgramState next;
  next.ProgramConfig = in.f.state.ProgramConfig;
  StepContext again(in.f.controls, next, in.f.Server(), in.f.DataDir(), "");
  again.desktopDir = context.desktopDir;
  again.startEngine = context.startEngine;
  EXPECT_TRUE(InstallEngine(again));
  EXPECT_EQ(next.appState.PlayerEngine, "cef");
  EXPECT_EQ(in.started.size(), 2u);
}

// Installed with the program: the package's pack serves when the desktop has
// none, and stays where the package put it.
TEST(EngineInstall, TheBundledPackServesWhenTheDesktopHasNone) {
  Pack pack;
  Install in;
  TempFolder bundle;
  WriteSigned(bundle.Path() / "Enginepack", pack.bytes);
  WriteFile(in.desktop.Path() / "Enginepack", "a stale pack of another digest");
  in.Announce(pack.cefMd5, pack.md5);
  StepContext context = in.Context();
  context.bundledDir = bundle.Path().string() + "/";
  ASSERT_TRUE(InstallEngine(context));
  EXPECT_EQ(in.f.state.appState.PlayerEngine, "cef");
  EXPECT_EQ(ReadFile(in.f.File("Engine/libaquarius.so")), std::string(70000, 'x'));
  EXPECT_TRUE(fs::exists(bundle.Path() / "Enginepack"));
  EXPECT_EQ(ReadFile(in.desktop.Path() / "Enginepack"), "a stale pack of another digest");
  EXPECT_TRUE(in.f.controls.MessageBoxes().empty()) << "no download asked for";
}

// The archiver runs but the folder is not the announced engine: another
// cef.pak, or nothing extracted because the archive's password is not ours.
TEST(EngineInstall, ExtractedFolderWithoutTheAnnouncedCefPakKeepsTheLegacyPlayer) {
  for (const bool wrongPassword : {false, true}) {
    SCOPED_TRACE(wrongPassword ? "wrong password" : "another cef.pak");
    Pack pack(wrongPassword ? "not the password" : nullptr);
    ASSERT_EQ(pack.bytes.size(), kEnginePackLength);
    Install in;
    in.Announce(wrongPassword ? pack.cefMd5 : Md5Hex("another cef.pak", false), pack.md5);
    WriteSigned(in.desktop.Path() / "Enginepack", pack.bytes);
    StepContext context = in.Context();
    EXPECT_FALSE(InstallEngine(context));
    EXPECT_EQ(in.f.state.appState.PlayerEngine, "ie");
    EXPECT_TRUE(in.InIeLayout());
    EXPECT_TRUE(in.started.empty());
    EXPECT_TRUE(fs::exists(in.desktop.Path() / "Enginepack"));  // kept for another try
    if (wrongPassword) {
      EXPECT_FALSE(fs::exists(in.f.File("Engine/cef.pak")));
    }
  }
}

TEST(EngineInstall, InstalledEngineThatCannotStartStaysLegacyWithoutReinstalling) {
  Install in;
  in.engineStarts = false;
  fs::create_directories(in.f.File("Engine"));
  WriteFile(in.f.File("Engine/cef.pak"), "resources");
  WriteFile(in.f.File("Engine/libaquarius.so"), "the engine");
  WriteConfigValue(in.f.File(kConfigIniFile).string(), kEngineLibraryKey, Sha256Hex("the engine"));
  in.Announce(Md5Hex("resources", false), Md5Hex("pack", false));
  StepContext context = in.Context();
  EXPECT_FALSE(InstallEngine(context));
  EXPECT_EQ(in.f.state.appState.PlayerEngine, "ie");
  EXPECT_TRUE(in.InIeLayout());
  EXPECT_TRUE(in.f.controls.MessageBoxes().empty());
}

// Only a pack signed by the release key is unpacked, whatever its digest: an
// unsigned or wrongly signed pack is a failed download (asked for again).
TEST(EngineInstall, OnlyASignedPackIsUnpacked) {
  Pack pack;
  const struct {
    const char* what;
    std::string signature;
    bool write;  // false: no .sig file at all
  } cases[] = {
      {"no signature beside it", "", false},
      {"an empty signature", "", true},
      {"signed by another key", SignDetached(pack.bytes, kOtherKeyPem), true},
      {"the signature of another pack", SignDetached("an older pack", DemoKeyPem()), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Install in;
    WriteFile(in.desktop.Path() / "Enginepack", pack.bytes);
    if (c.write) WriteFile(in.desktop.Path() / "Enginepack.sig", c.signature);
    in.Announce(pack.cefMd5, pack.md5);
    StepContext context = in.Context();
    EXPECT_FALSE(InstallEngine(context));
    EXPECT_EQ(in.f.state.appState.PlayerEngine, "ie");
    EXPECT_TRUE(in.started.empty());
    EXPECT_FALSE(fs::exists(in.f.File("Engine")));
    EXPECT_FALSE(fs::exists(in.f.File("Engine.exe"))) << "nothing of it was run";
    ASSERT_FALSE(in.f.controls.MessageBoxes().empty());
    EXPECT_EQ(in.f.controls.MessageBoxes()[0].title, "您还未安装播放引擎");
  }
}

// The engine library is loaded into the program: one that is not what the
// signed pack brought (changed since, or a folder no signed pack made) is no
// engine, and the pack installs it again.
TEST(EngineInstall, AChangedEngineLibraryIsInstalledAgain) {
  Pack pack;
  for (const bool recorded : {true, false}) {
    SCOPED_TRACE(recorded ? "changed after a signed install" : "never recorded");
    Install in;
    WriteSigned(in.desktop.Path() / "Enginepack", pack.bytes);
    in.Announce(pack.cefMd5, pack.md5);
    StepContext first = in.Context();
    ASSERT_TRUE(InstallEngine(first));
    const std::string settings = in.f.File(kConfigIniFile).string();
    EXPECT_EQ(ReadConfigValue(settings, kEngineLibraryKey, ""),
              Sha256Hex(std::string(70000, 'x')));
    WriteFile(in.f.File("Engine/libaquarius.so"), "code from someone else");
    if (!recorded) WriteConfigValue(settings, kEngineLibraryKey, "");

    WriteSigned(in.desktop.Path() / "Enginepack", pack.bytes);
    StepContext next = in.Context();
    ASSERT_TRUE(InstallEngine(next));
    EXPECT_EQ(ReadFile(in.f.File("Engine/libaquarius.so")), std::string(70000, 'x'));
    EXPECT_EQ(in.started.size(), 2u);
    EXPECT_FALSE(fs::exists(in.desktop.Path() / "Enginepack")) << "installed from it again";
  }
}

TEST(EngineInstall, NoPackAsksForTheDownloadAndHandsItToTheUpdaterOnce) {
  TempFolder downloads;
  WriteFile(downloads.Path() / "Enginepack", "a pack on the server");
  ServerProcess server(downloads.Path());
  ASSERT_TRUE(server.Ready()) << server.Output();
  Install in(server.Base());
  in.Announce(Md5Hex("x", false), Md5Hex("a pack on the server", false));
  // A pack of another digest on the desktop counts as none.
  WriteFile(in.desktop.Path() / "Enginepack", "a damaged pack");
  StepContext context = in.Context();
  EXPECT_FALSE(InstallEngine(context));
  EXPECT_EQ(in.f.state.appState.PlayerEngine, "ie");
  EXPECT_TRUE(in.InIeLayout());
  const auto boxes = in.f.controls.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "您还未安装播放引擎");
  EXPECT_EQ(boxes[0].timeoutMs, 10000);
  EXPECT_EQ(boxes[0].flags, 0x40);
  EXPECT_NE(boxes[0].text.find("校验->md5->" + Md5Hex("a pack on the server", false)),
            std::string::npos);
  // The start-up window lets the notice come over it while it shows.
  std::vector<std::string> around;
  for (const std::string& call : in.f.controls.Calls())
    if (call.starts_with("SetAlwaysOnTop") || call.starts_with("MessageBox")) around.push_back(call);
  ASSERT_GE(around.size(), 3u);
  EXPECT_EQ(around[0], "SetAlwaysOnTop StartupWindow 0");
  EXPECT_TRUE(around[1].starts_with("MessageBox")) << around[1];
  EXPECT_EQ(around[2], "SetAlwaysOnTop StartupWindow 1");
  UpdaterRecord record;
  ASSERT_TRUE(ReadUpdaterRecord(in.f.File(kUpdaterRecordFile), record));
  EXPECT_EQ(record.address, server.Base() + "/download/Enginepack");
  EXPECT_EQ(record.saveFolder, in.desktop.Path().string() + "//");
  EXPECT_EQ(record.fileName, "Enginepack");
  EXPECT_EQ(in.f.sleeps, (std::vector<std::chrono::milliseconds>{500ms, 500ms, 5000ms}));
  EXPECT_EQ(ReadFile(in.desktop.Path() / "Enginepack"), "a damaged pack");

  // Nothing new arrived (the updater failed and did not start the program
  // again; the damaged pack is older than the hand-over): the next start asks
  // again instead of leaving the user without an engine for good.
  in.f.sleeps.clear();
  fs::last_write_time(in.desktop.Path() / "Enginepack",
                      fs::last_write_time(in.f.File(kUpdaterRecordFile)) - 10s);
  StepContext again = in.Context();
  EXPECT_FALSE(InstallEngine(again));
  EXPECT_EQ(in.f.controls.MessageBoxes().size(), 2u);
  EXPECT_EQ(in.f.sleeps, (std::vector<std::chrono::milliseconds>{500ms, 500ms, 5000ms}));
}

// An updater that keeps delivering a pack of another digest restarts the
// program each time: after three such deliveries of one announced pack the
// program stops asking (no notice, no wait, no hand-over) and plays with the
// legacy player; a newly announced pack is asked for again.
TEST(EngineInstall, RepeatedBadDeliveriesStopTheHandOversUntilAnotherPackIsAnnounced) {
  TempFolder downloads;
  WriteFile(downloads.Path() / "Enginepack", "a pack on the server");
  ServerProcess server(downloads.Path());
  ASSERT_TRUE(server.Ready()) << server.Output();
  Install in(server.Base());
  in.Announce(Md5Hex("x", false), Md5Hex("a pack of the announced digest", false));
  const auto deliverBadPack = [&] {
    WriteFile(in.desktop.Path() / "Enginepack", "a pack the updater brought, damaged");
    fs::last_write_time(in.desktop.Path() / "Enginepack",
                        fs::last_write_time(in.f.File(kUpdaterRecordFile)) + 1s);
  };
  for (int start = 1; start <= 3; ++start) {
    in.f.sleeps.clear();
    StepContext context = in.Context();
    EXPECT_FALSE(InstallEngine(context));
    EXPECT_EQ(in.f.sleeps, (std::vector<std::chrono::milliseconds>{500ms, 500ms, 5000ms}))
        << "start " << start;
    EXPECT_EQ(in.f.controls.MessageBoxes().size(), static_cast<size_t>(start));
    deliverBadPack();
  }
  in.f.sleeps.clear();
  const auto recordTime = fs::last_write_time(in.f.File(kUpdaterRecordFile));
  StepContext stopped = in.Context();
  EXPECT_FALSE(InstallEngine(stopped));
  EXPECT_EQ(in.f.state.appState.PlayerEngine, "ie");
  EXPECT_TRUE(in.InIeLayout());
  EXPECT_TRUE(in.f.sleeps.empty());
  EXPECT_EQ(in.f.controls.MessageBoxes().size(), 3u);
  EXPECT_EQ(fs::last_write_time(in.f.File(kUpdaterRecordFile)), recordTime);

  in.Announce(Md5Hex("x", false), Md5Hex("the next pack", false));
  StepContext next = in.Context();
  EXPECT_FALSE(InstallEngine(next));
  EXPECT_EQ(in.f.sleeps, (std::vector<std::chrono::milliseconds>{500ms, 500ms, 5000ms}));
}

// A record that cannot be written is no hand-over: the updater is not
// started, the step says the download cannot be made and plays with the
// legacy player.
TEST(EngineInstall, RecordThatCannotBeWrittenCountsAsNoAddress) {
  TempFolder downloads;
  WriteFile(downloads.Path() / "Enginepack", "a pack on the server");
  ServerProcess server(downloads.Path());
  ASSERT_TRUE(server.Ready()) << server.Output();
  Install in(server.Base());
  in.Announce(Md5Hex("x", false), Md5Hex("a pack on the server", false));
  fs::create_directories(in.f.File(kUpdaterRecordFile));
  StepContext context = in.Context();
  EXPECT_FALSE(InstallEngine(context));
  EXPECT_EQ(in.f.state.appState.PlayerEngine, "ie");
  EXPECT_TRUE(in.InIeLayout());
  const auto boxes = in.f.controls.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, "您还未安装播放引擎");
  EXPECT_EQ(boxes[1].title, "引擎环境无法自动下载");
  EXPECT_EQ(boxes[1].text, "下载地址无效。");
  EXPECT_TRUE(in.f.sleeps.empty()) << "no wait for an updater";
  EXPECT_EQ(context.startedUpdater, 0u);
}

TEST(EngineInstall, NoAddressSaysSoAndMissingEngineEntryChangesNothing) {
  Install in;  // no server answers
  in.Announce("a", "b");
  StepContext context = in.Context();
  EXPECT_FALSE(InstallEngine(context));
  const auto boxes = in.f.controls.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].title, "引擎环境无法自动下载");
  EXPECT_EQ(boxes[1].text, "下载地址无效。");
  EXPECT_FALSE(fs::exists(in.f.File(kUpdaterRecordFile)));

  Install bare;
  ASSERT_TRUE(bare.f.state.ProgramConfig.Parse(R"({"Program":{}})"));
  StepContext none = bare.Context();
  EXPECT_FALSE(InstallEngine(none));
  EXPECT_EQ(bare.f.state.appState.PlayerEngine, "");
  EXPECT_TRUE(bare.f.controls.Calls().empty());
}

TEST(EngineInstall, ArchiverPieceFollowsTheMachineWidth) {
  EXPECT_EQ(Is64BitSystem(), sizeof(void*) == 8);
  ProgramState state;
  EXPECT_FALSE(FindArchiver(state, "/nonexistent/Engine.exe"));
  EXPECT_EQ(ExtractArchive(state, "a", "b", "p", true), "rar路径不存在，请确认是否初始化成功");
  EXPECT_TRUE(FindArchiver(state, LARKBAY_ARCHIVER_BINARY));
  EXPECT_EQ(state.ArchiverPath, LARKBAY_ARCHIVER_BINARY);
}

}  // namespace
}  // namespace larkbay::test
