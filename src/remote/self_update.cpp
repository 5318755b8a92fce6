#include "remote/self_update.h"

#include <sys/stat.h>

#include <charconv>
#include <chrono>
#include <cstdint>

#include "net/inet_request.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "remote/download_address.h"
#include "remote/remote_paths.h"
#include "remote/step_context.h"
#include "remote/updater_record.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using std::chrono::milliseconds;

constexpr std::string_view kSettingsSection = "Lark-Bay";

// Program.<entry> of the configuration as its own document.
bool ProgramEntry(const JsonObject& config, std::string_view entry, JsonObject& out) {
  JsonObject program;
  return program.Parse(config.GetText("Program", true)) && out.Parse(program.GetText(entry, true));
}

// The version text read as an integer the way the announcement has always
// been read: leading digits, anything else 0.
std::int32_t VersionNumberOf(std::string_view text) {
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value > INT32_MAX || value < INT32_MIN) return 0;
  return static_cast<std::int32_t>(value);
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

bool UpdateUpdater(StepContext& context) {
  JsonObject updata;
  if (!ProgramEntry(context.state.ProgramConfig, "Updata", updata)) return false;
  const std::string md5 = Lower(updata.GetText("md5"));
  const std::string path = context.dataDir + std::string(kUpdaterFile);
  std::string current;
  if (!ReadWholeFile(path, current)) current.clear();
  if (Md5Hex(current, false) == md5) return true;
  const std::string address = ChooseDownloadAddress(context.server, "Updata");
  if (address.empty()) return false;
  const Bytes body = InetRequest(address);
  // An empty, cut or wrong download must not replace a working updater.
  if (Md5Hex(body, false) != md5) return false;
  if (!WriteFileAtomically(path, body)) return false;
  return ::chmod(path.c_str(), 0755) == 0;
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
  if (GetPrivateProfileString(kSettingsSection, kHandedOverKey, "", settings) == version)
    return false;

  const std::string address = ChooseDownloadAddress(context.server, "Main");
  if (address.empty()) {
    context.controls.MessageBox(names::kStartupWindow, kUpdateErrorText, kUpdateErrorTitle,
                                msgbox::kOk);
    context.EndProcess();
    return false;
  }
  const ProgramIdentity& program = context.program;
  UpdaterRecord record;
  record.processId = program.processId;
  record.address = address;
  record.saveFolder = program.folder + "/";
  record.fileName = program.executable;
  record.startProgram = program.folder + "/" + program.executable;
  WriteUpdaterRecord(context.dataDir + std::string(kUpdaterRecordFile), record);
  WritePrivateProfileString(kSettingsSection, kHandedOverKey, version, settings);

  context.Sleep(milliseconds(200));
  KillProgramByName(kUpdaterFile);
  context.Sleep(milliseconds(200));
  StartProgram(context.dataDir + std::string(kUpdaterFile));
  // The updater ends this process once the new program is in place.
  context.Sleep(milliseconds(5000));
  return false;
}

void KillProgramByName(std::string_view name) {
  const ProcessId self = CurrentProcessId();
  for (const ProcessId id : ProcessesByExecutableName(name))
    if (id != self) KillProcess(id, true);
}

}  // namespace larkbay
