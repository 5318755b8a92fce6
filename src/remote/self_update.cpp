#include "remote/self_update.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdint>

#include "net/inet_request.h"
#include "platform/config_ini.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/file_system.h"
#include "remote/download_address.h"
#include "remote/program_entry.h"
#include "remote/remote_paths.h"
#include "remote/signed_release.h"
#include "remote/step_context.h"
#include "remote/updater_record.h"
#include "services/json/json_object.h"
#include "services/log/developer_log.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using std::chrono::milliseconds;

// The version text read as an integer the way the announcement has always
// been read: leading digits, anything else 0.
std::int32_t VersionNumberOf(std::string_view text) {
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value > INT32_MAX || value < INT32_MIN) return 0;
  return static_cast<std::int32_t>(value);
}

// The updater may replace the program only where this user can write it and
// no package manager keeps it: a packaged program comes with the package.
bool ReplaceableByUpdater(const StepContext& context, std::string& why) {
  const std::string path = context.program.folder + "/" + context.program.executable;
  std::string list;
  if (ReadWholeFile(context.packageFileList, list)) {
    for (size_t at = 0; at < list.size();) {
      size_t end = list.find('\n', at);
      if (end == std::string::npos) end = list.size();
      if (std::string_view(list).substr(at, end - at) == path) {
        why = path + " belongs to the package manager, which updates it";
        return false;
      }
      at = end + 1;
    }
  }
  if (::access(path.c_str(), W_OK) != 0 || ::access(context.program.folder.c_str(), W_OK | X_OK) != 0) {
    why = path + " cannot be written by this user";
    return false;
  }
  return true;
}

}  // namespace

bool UpdateUpdater(StepContext& context) {
  JsonObject updata;
  if (!ProgramEntry(context.state.ProgramConfig, "Updata", updata)) return false;
  const std::string md5 = AnnouncedDigest(updata, "md5");
  const std::string path = context.dataDir + std::string(kUpdaterFile);
  SignedFile updater;
  if (ReadSignedFile(path, updater) && Md5Hex(updater.bytes, false) == md5) return true;
  // The installed program's own updater, when it is the announced one.
  if (context.bundledDir.empty() ||
      !ReadSignedFile(context.bundledDir + std::string(kUpdaterFile), updater) ||
      Md5Hex(updater.bytes, false) != md5) {
    const std::string address = ChooseDownloadAddress(context.server, "Updata");
    if (address.empty()) return false;
    // An unsigned download is no download: the updater is run later.
    if (!FetchSignedRelease(address, updater)) return false;
  }
  // An empty, cut or wrong download must not replace a working updater.
  if (Md5Hex(updater.bytes, false) != md5) return false;
  return WriteSignedFile(path, updater, FileKind::kProgram);
}

bool UpdateProgram(StepContext& context) {
  JsonObject main;
  if (!ProgramEntry(context.state.ProgramConfig, "Main", main)) return false;
  const std::string version = main.GetText("version");
  AppState& app = context.state.appState;
  app.LatestVersionNumber = VersionNumberOf(version);
  if (app.LatestVersionNumber == app.VersionNumber) return true;
  // An older release, signed or not, would bring back what later ones mended.
  if (app.LatestVersionNumber < app.VersionNumber) {
    DevLog(LogArea::kStartup, "the server announces version " + version +
                                  ", older than this one; not installed");
    return true;
  }

  // A server that announces a version this build never becomes would send
  // every start back to the updater; one hand-over per announcement.
  const std::string settings = context.dataDir + std::string(kConfigIniFile);
  const std::string handedOver = ReadConfigValue(settings, kHandedOverKey, "");
  if (handedOver == version) return false;

  std::string why;
  if (!ReplaceableByUpdater(context, why)) {
    DevLog(LogArea::kStartup, "version " + version + " is out; " + why + "; not handed over");
    return false;
  }

  const std::string address = ChooseDownloadAddress(context.server, "Main");
  if (!address.empty()) {
    WriteConfigValue(settings, kHandedOverKey, version);
    if (HandOverToUpdater(context, address, context.program.folder + "/",
                          context.program.executable, milliseconds(200))) {
      return false;
    }
    // Nothing was handed over: the next start tries again.
    WriteConfigValue(settings, kHandedOverKey, handedOver);
  }
  // No address the updater can be given.
  context.controls.MessageBox(names::kStartupWindow, kUpdateErrorText, kUpdateErrorTitle,
                              msgbox::kOk);
  context.EndProcess();
  return false;
}

bool HandOverToUpdater(StepContext& context, const std::string& address,
                       const std::string& saveFolder, const std::string& fileName,
                       std::chrono::milliseconds settle) {
  const ProgramIdentity& program = context.program;
  UpdaterRecord record;
  record.processId = program.processId;
  record.address = address;
  record.saveFolder = saveFolder;
  record.fileName = fileName;
  record.startProgram = program.folder + "/" + program.executable;
  // Only a signed updater is run; a changed one waits for the next start's
  // download.
  const std::string updater = context.dataDir + std::string(kUpdaterFile);
  SignedFile signedUpdater;
  if (!ReadSignedFile(updater, signedUpdater)) {
    DevLog(LogArea::kStartup, "the updater is not signed by the release key; nothing handed over");
    return false;
  }
  if (!WriteUpdaterRecord(context.dataDir + std::string(kUpdaterRecordFile), record)) {
    DevLog(LogArea::kStartup, "the updater's record could not be written; nothing handed over");
    return false;
  }
  context.Sleep(settle);
  EndStartedUpdater(context);
  context.Sleep(settle);
  context.startedUpdater =
      StartProgram(context.dataDir + std::string(kUpdaterFile), {}, HandOnEnvironment());
  // The updater ends this process once the new file is in place.
  context.Sleep(milliseconds(5000));
  return true;
}

void EndStartedUpdater(StepContext& context) {
  if (context.startedUpdater == 0) return;
  EndStartedProgram(context.startedUpdater, context.dataDir + std::string(kUpdaterFile));
  context.startedUpdater = 0;
}

}  // namespace larkbay
