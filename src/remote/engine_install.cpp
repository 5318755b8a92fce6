#include "remote/engine_install.h"

#include <sys/utsname.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/config_ini.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/file_system.h"
#include "player/engine_library.h"
#include "remote/download_address.h"
#include "remote/engine_pack.h"
#include "remote/program_entry.h"
#include "remote/remote_paths.h"
#include "remote/self_update.h"
#include "remote/signed_release.h"
#include "remote/step_context.h"
#include "services/json/json_object.h"
#include "services/log/developer_log.h"
#include "services/signature/release_signature.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using std::chrono::milliseconds;

constexpr int kTabsTopWithBrowser = 29;

void Replace(std::string& text, std::string_view placeholder, std::string_view value) {
  for (size_t at = 0; (at = text.find(placeholder, at)) != std::string::npos; at += value.size())
    text.replace(at, placeholder.size(), value);
}

void Remove(const std::string& path) { std::remove(path.c_str()); }

// Starts the engine from the data folder's Engine/; "cef" only when it runs.
bool StartEngine(StepContext& context) {
  const std::string folder = context.dataDir + std::string(kEngineFolder) + "/";
  if (!context.startEngine || !context.startEngine(folder)) return false;
  context.state.appState.PlayerEngine = "cef";
  ShowCefLayout(context.controls);
  return true;
}

std::string Piece(std::string_view pack, EnginePackPiece piece) {
  const EnginePackRange range = EnginePackPieceRange(piece);
  if (range.offset >= pack.size()) return {};
  return std::string(pack.substr(range.offset, range.length));
}

std::string EngineLibraryDigest(const StepContext& context) {
  std::string library;
  if (!ReadWholeFile(context.dataDir + std::string(kEngineFolder) + "/" + kEngineLibraryFile,
                     library))
    return {};
  return Sha256Hex(library);
}

// The engine library is loaded into the program: only the one a signed pack
// brought, unchanged since.
bool EngineLibraryUnchanged(const StepContext& context) {
  const std::string recorded =
      ReadConfigValue(context.dataDir + std::string(kConfigIniFile), kEngineLibraryKey, "");
  if (!recorded.empty() && recorded == EngineLibraryDigest(context)) return true;
  DevLog(LogArea::kStartup, recorded.empty()
                                ? "the engine folder came from no signed pack; installing it again"
                                : "the engine library changed since its pack was installed; "
                                  "installing it again");
  return false;
}

// `packFile` is deleted once the engine is in place ("" for none).
bool InstallFromPack(StepContext& context, const std::string& pack, const std::string& cefMd5,
                     const std::string& packFile) {
  const std::string archiver = context.dataDir + std::string(kEngineArchiverFile);
  const std::string archive = context.dataDir + std::string(kEngineArchiveFile);
  const std::string engine = context.dataDir + std::string(kEngineFolder) + "/";

  context.Sleep(milliseconds(50));
  Remove(archiver);
  context.Sleep(milliseconds(50));
  const EnginePackPiece mine =
      Is64BitSystem() ? EnginePackPiece::kArchiver64 : EnginePackPiece::kArchiver32;
  WriteFileAtomically(archiver, Piece(pack, mine), FileKind::kProgram);
  context.Sleep(milliseconds(50));
  Remove(archive);
  context.Sleep(milliseconds(50));
  WriteFileAtomically(archive, Piece(pack, EnginePackPiece::kEngineArchive));
  if (!FindArchiver(context.state, archiver)) return false;

  context.Sleep(milliseconds(50));
  std::error_code ignored;
  std::filesystem::remove_all(engine, ignored);
  context.Sleep(milliseconds(50));
  if (!ExtractArchive(context.state, archive, engine, kEngineArchivePassword, true).empty())
    return false;
  // Whatever the archiver did, only a folder with the announced cef.pak is an
  // engine; anything else keeps the legacy player and the pack for a retry.
  if (FileMd5(engine + std::string(kEngineCheckFile)) != cefMd5) return false;
  const std::string library = EngineLibraryDigest(context);
  if (library.empty() ||
      !WriteConfigValue(context.dataDir + std::string(kConfigIniFile), kEngineLibraryKey, library))
    return false;

  context.Sleep(milliseconds(50));
  Remove(archiver);
  context.Sleep(milliseconds(50));
  Remove(archive);
  context.Sleep(milliseconds(50));
  if (!packFile.empty()) {
    // The signature first: a pack never lies on the desktop without it.
    Remove(packFile + std::string(kSignatureSuffix));
    Remove(packFile);
  }
  context.Sleep(milliseconds(2000));
  return StartEngine(context);
}

// How many hand-overs of one announced pack may end with a pack of another
// digest on the desktop before the program stops asking: an updater that
// keeps delivering a bad pack would otherwise restart the program for ever.
constexpr int kMaxBadPackDeliveries = 3;

// The hand-overs of `packMd5` that delivered a bad pack so far, counting the
// last one when the desktop now holds one. A hand-over that put nothing on
// the desktop (the updater failed and did not start the program again) is not
// counted: the next start simply tries again.
int BadPackDeliveries(const std::string& settings, const std::string& packMd5,
                      bool delivered) {
  if (ReadConfigValue(settings, kHandedOverEngineKey, "") != packMd5) return 0;
  int count = 0;
  const std::string stored = ReadConfigValue(settings, kBadEnginePacksKey, "0");
  for (const char c : stored) {
    if (c < '0' || c > '9' || count > 1000) break;
    count = count * 10 + (c - '0');
  }
  return delivered ? count + 1 : count;
}

// True when the desktop holds a pack written after the last hand-over record:
// the updater's delivery, not a file the user left there earlier.
bool ArrivedSinceLastHandOver(const StepContext& context, const std::string& packPath) {
  std::error_code error;
  const auto packTime = std::filesystem::last_write_time(packPath, error);
  if (error) return false;
  const auto recordTime =
      std::filesystem::last_write_time(context.dataDir + std::string(kUpdaterRecordFile), error);
  return !error && packTime > recordTime;
}

void HandDownloadOver(StepContext& context, const std::string& packMd5, bool arrived) {
  const std::string settings = context.dataDir + std::string(kConfigIniFile);
  const int delivered = BadPackDeliveries(settings, packMd5, arrived);
  if (delivered >= kMaxBadPackDeliveries) {
    DevLog(LogArea::kStartup, "engine pack " + packMd5 + ": " + std::to_string(delivered) +
                                  " downloads brought a pack of another digest; not asking again");
    return;
  }
  const std::string address = ChooseDownloadAddress(context.server, "Engine");
  std::string text = kEngineMissingText;
  Replace(text, "#engine_download_url#", address);
  Replace(text, "#engine_md5#", packMd5);
  // The start-up window stays on top of everything else; the notice has to
  // come over it.
  context.controls.SetAlwaysOnTop(names::kStartupWindow, false);
  ShowTimedMessage(context.controls, kEngineMissingTitle, text, 10000, msgbox::kIconInformation);
  context.controls.SetAlwaysOnTop(names::kStartupWindow, true);
  if (address.empty()) {
    context.controls.MessageBox(names::kStartupWindow, kNoEngineAddressText, kNoEngineAddressTitle,
                                msgbox::kOk);
    return;
  }
  WriteConfigValue(settings, kHandedOverEngineKey, packMd5);
  WriteConfigValue(settings, kBadEnginePacksKey, std::to_string(delivered));
  // The desktop folder ends with "/"; the record has always doubled it.
  if (!HandOverToUpdater(context, address, context.desktopDir + "/", std::string(kEnginePackFile),
                         milliseconds(500))) {
    // An address the record cannot carry is no usable address.
    context.controls.MessageBox(names::kStartupWindow, kNoEngineAddressText, kNoEngineAddressTitle,
                                msgbox::kOk);
  }
}

}  // namespace

void ShowCefLayout(ControlInterface& controls) {
  controls.SetVisible(names::kBrowserControl, true);
  ControlRect tabs = controls.GetRect(names::kTabControl);
  tabs.top = kTabsTopWithBrowser;
  controls.SetRect(names::kTabControl, tabs);
  controls.SetVisible(names::kPlayerView, false);
}

void ShowIeLayout(ControlInterface& controls) {
  controls.SetVisible(names::kBrowserControl, false);
  ControlRect tabs = controls.GetRect(names::kTabControl);
  tabs.top = 0;
  controls.SetRect(names::kTabControl, tabs);
  controls.SetVisible(names::kPlayerView, true);
}

bool Is64BitSystem() {
  utsname system{};
  if (::uname(&system) != 0) return sizeof(void*) == 8;
  return std::string_view(system.machine).ends_with("64");
}

bool FindArchiver(ProgramState& state, const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) {
    state.ArchiverPath = path;
    return true;
  }
  state.ArchiverPath.clear();
  return false;
}

std::string ExtractArchive(const ProgramState& state, const std::string& archive,
                           const std::string& destination, std::string_view password,
                           bool overwrite) {
  if (state.ArchiverPath.empty()) return kNoArchiverText;
  std::vector<std::string> args = {"x",     "-iext",    "-ow", overwrite ? "-o+" : "-o-",
                                   archive, destination};
  if (!password.empty()) args.push_back("-p" + std::string(password));
  // The archiver reports its own problems; the engine check that follows
  // tells whether the folder is usable.
  RunProgram(state.ArchiverPath, args);
  return {};
}

int ShowTimedMessage(ControlInterface& controls, std::string_view title, std::string_view text,
                     int milliseconds, int flags) {
  return controls.MessageBox(names::kStartupWindow, text, title, flags, milliseconds);
}

bool InstallEngine(StepContext& context) {
  JsonObject engine;
  if (!ProgramEntry(context.state.ProgramConfig, "Engine", engine)) return false;
  const std::string cefMd5 = AnnouncedDigest(engine, "cef_32_md5");
  const std::string packMd5 = AnnouncedDigest(engine, "md5");
  const std::string check =
      context.dataDir + std::string(kEngineFolder) + "/" + std::string(kEngineCheckFile);
  if (FileMd5(check) == cefMd5 && EngineLibraryUnchanged(context)) {
    if (StartEngine(context)) return true;
    // Installed but not startable here: installing again would not help.
    context.state.appState.PlayerEngine = "ie";
    ShowIeLayout(context.controls);
    return false;
  }

  context.state.appState.PlayerEngine = "ie";
  ShowIeLayout(context.controls);
  const std::string packPath = context.desktopDir + std::string(kEnginePackFile);
  // Only a pack signed by the release key is unpacked; its signature lies
  // beside it (the updater leaves it there).
  SignedFile pack;
  const auto usable = [&](const std::string& path) {
    return ReadSignedFile(path, pack) && Md5Hex(pack.bytes, false) == packMd5;
  };
  std::string usedPack = packPath;
  // The pack installed with the program serves when the desktop has none of
  // the announced digest; it stays where the package put it.
  bool found = usable(packPath);
  if (!found && !context.bundledDir.empty() &&
      usable(context.bundledDir + std::string(kEnginePackFile))) {
    found = true;
    usedPack.clear();
  }
  if (found) {
    if (InstallFromPack(context, pack.bytes, cefMd5, usedPack)) return true;
    // An engine that does not start leaves the legacy player in place.
    context.state.appState.PlayerEngine = "ie";
    ShowIeLayout(context.controls);
    return false;
  }
  HandDownloadOver(context, packMd5, ArrivedSinceLastHandOver(context, packPath));
  return false;
}

}  // namespace larkbay
