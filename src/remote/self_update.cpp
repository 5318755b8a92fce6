#include "remote/self_update.h"

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

}  // namespace

bool UpdateUpdater(StepContext& context) {
  JsonObject updata;
  if (!ProgramEntry(context.state.ProgramConfig, "Updata", updata)) return false;
  const std::string md5 = AnnouncedDigest(updata, "md5");
  const std::string path = context.dataDir + std::string(kUpdaterFile);
  if (FileMd5(path) == md5) return true;
  Bytes body;
  // The installed program's own updater, when it is the announced one.
  if (context.bundledDir.empty() ||
      !ReadWholeFile(context.bundledDir + std::string(kUpdaterFile), body) ||
      Md5Hex(body, false) != md5) {
    const std::string address = ChooseDownloadAddress(context.server, "Updata");
    if (address.empty()) return false;
    body = InetRequest(address);
  }
  // An empty, cut or wrong download must not replace a working updater.
  if (Md5Hex(body, false) != md5) return false;
  return WriteFileAtomically(path, body, FileKind::kProgram);
}

bool UpdateProgram(StepContext& context) {
  JsonObject main;
  if (!ProgramEntry(context.state.ProgramConfig, "Main", main)) return false;
  const std::string version = main.GetText("version");
  AppState& app = context.state.appState;
  app.LatestVersionNumber = VersionNumberOf(version);
  if (app.LatestVersionNumber == app.VersionNumber) return true;

  // A server that announces a version this build never becomes would send
  // every start back to the updater; one hand-over per announcement.
  const std::string settings = context.dataDir + std::string(kConfigIniFile);
  const std::string handedOver = ReadConfigValue(settings, kHandedOverKey, "");
  if (handedOver == version) return false;

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
