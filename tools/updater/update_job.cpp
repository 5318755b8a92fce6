#include "update_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <thread>

#include "download.h"
#include "folders.h"
#include "messages.h"
#include "net/tls_trust.h"
#include "platform/config_ini.h"
#include "platform/processes.h"
#include "remote/remote_paths.h"
#include "remote/updater_record.h"
#include "services/signature/release_signature.h"
#include "services/text/text_helpers.h"

namespace larkbay::updater {
namespace {

constexpr std::string_view kRecordFileName = "program_updata_config";
constexpr auto kEndWait = std::chrono::seconds(3);

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why `folder` could not be made, naming the part of it that stopped it.
std::string FolderCause(const std::string& folder, int error, const std::string& blocker) {
  if (error == ENOTDIR) return blocker == folder ? "已有同名的文件" : blocker + " 不是文件夹";
  const std::string cause = CauseText(error);
  return blocker == folder ? cause : cause + "（" + blocker + "）";
}

// Field 4 is a name inside field 3, never a way out of it.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool IsProgramToStart(const std::string& target, const UpdaterRecord& record) {
  return BaseName(target) == BaseName(record.startProgram);
}

// The mode a new download is created with, less the umask as for any new file.
mode_t NewFileMode(const std::string& target, const UpdaterRecord& record) {
  return IsProgramToStart(target, record) ? 0777 : 0666;
}

// A replaced file keeps its mode; the program to start stays runnable by
// whoever may read it. False when there is no file to replace.
bool ReplacedFileMode(const std::string& target, const UpdaterRecord& record, mode_t& mode) {
  struct stat old {};
  if (::stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return false;
  mode = old.st_mode & 07777;
  if (IsProgramToStart(target, record)) mode |= (mode & 0444) >> 2;
  return true;
}

bool ReadAll(int fd, std::string& bytes) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A new temporary file beside `target`; one left by an earlier run under the
// same id goes first. -1 with errno set when it cannot be made.
int OpenTemporary(const std::string& temporary, mode_t mode) {
  int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST && ::unlink(temporary.c_str()) == 0) {
    fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  }
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Puts `bytes` at `path` whole or not at all, through a temporary file beside it.
bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".download-" + std::to_string(CurrentProcessId());
  const int fd = OpenTemporary(temporary, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    errno = error;
  }
  return ok;
}

// The file downloaded into `fd` as it lies on disk, for checking what will
// be run rather than what passed through the network.
bool ReadBack(int fd, std::string& bytes) {
  if (::lseek(fd, 0, SEEK_SET) != 0) return false;
  bytes.clear();
  return ReadAll(fd, bytes);
}

// Downloads into a temporary file beside `target`, checks it against its
// release signature and renames it over the target; the target is untouched
// unless the whole, signed file came. The signature is left beside the file
// as `<target>.sig`, so that whoever uses the file later can check it again.
int FetchAndReplace(const UpdaterRecord& record, const std::string& target, UpdateReport& report) {
  const std::string temporary = target + ".download-" + std::to_string(CurrentProcessId());
  int fd = OpenTemporary(temporary, NewFileMode(target, record));
  if (fd < 0) {
    report.Failure("无法在 " + FolderOf(target) + " 中写入文件：" + CauseText(errno));
    return kExitDownloadFailed;
  }
  auto discard = [&](int code, const std::string& why) {
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    report.Failure(why);
    return code;
  };

  report.Step(UpdateStep::kDownload, target);
  const DownloadResult download = DownloadToFile(record.address, fd, report);
  if (!download.ok) return discard(kExitDownloadFailed, download.why);
  report.Step(UpdateStep::kReceived, SizeText(download.bytes));

  // The address as given, a query string and all: the server names the
  // signature of whatever the address names.
  const std::string signatureUrl = record.address + std::string(kSignatureSuffix);
  std::string signature;
  const DownloadResult signatureDownload =
      DownloadToMemory(signatureUrl, kSignatureLimit, signature, report);
  if (signatureDownload.cancelled) return discard(kExitDownloadFailed, signatureDownload.why);
  if (signatureDownload.tooLarge) return discard(kExitBadSignature, BadSignatureText(signatureUrl));
  if (!signatureDownload.ok) {
    return discard(kExitBadSignature, MissingSignatureText(signatureDownload.why));
  }
  {
    std::string written;
    if (::fsync(fd) != 0 || !ReadBack(fd, written)) {
      return discard(kExitDownloadFailed,
                     "无法读取下载的文件 " + temporary + "：" + CauseText(errno));
    }
    if (!VerifyReleaseSignature(written, signature)) {
      return discard(kExitBadSignature, BadSignatureText(signatureUrl));
    }
  }
  report.Step(UpdateStep::kSigned, signatureUrl);

  mode_t kept = 0;
  const bool keep = ReplacedFileMode(target, record, kept);
  if ((keep && ::fchmod(fd, kept) != 0) || ::fsync(fd) != 0) {
    return discard(kExitReplaceFailed, "无法保存 " + target + "：" + CauseText(errno));
  }
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) {
    return discard(kExitReplaceFailed, "无法保存 " + target + "：" + CauseText(errno));
  }
  // The signature lands first: a file in place is never one without its own
  // signature beside it. When the file then cannot follow, the old signature
  // goes back (or the new one away), to match the old file again.
  const std::string signatureFile = target + std::string(kSignatureSuffix);
  std::string oldSignature;
  const int oldFd = ::open(signatureFile.c_str(), O_RDONLY | O_CLOEXEC);
  const bool hadSignature = oldFd >= 0 && ReadAll(oldFd, oldSignature);
  if (oldFd >= 0) ::close(oldFd);
  if (!WriteFileAtomically(signatureFile, signature)) {
    return discard(kExitReplaceFailed, "无法保存 " + signatureFile + "：" + CauseText(errno));
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    if (hadSignature) {
      WriteFileAtomically(signatureFile, oldSignature);
    } else {
      ::unlink(signatureFile.c_str());
    }
    return discard(kExitReplaceFailed, "无法替换 " + target + "：" + CauseText(error));
  }
  SyncFolder(FolderOf(target));
  report.Step(UpdateStep::kReplaced, target);
  return kExitOk;
}

// Ends the old program, but only when the process runs that program: the id
// in the record may since belong to anything else.
void EndOldProgram(const UpdaterRecord& record, UpdateReport& report) {
  const ProcessId id = record.processId;
  const std::string idText = std::to_string(id);
  if (id == CurrentProcessId()) {
    report.Step(UpdateStep::kNotEnded, "进程 " + idText + " 是更新程序自己，不关闭");
    return;
  }
  if (!IsProcessRunning(id)) {
    report.Step(UpdateStep::kNotEnded, "进程 " + idText + " 已经退出");
    return;
  }
  if (!IsSameExecutable(id, record.startProgram)) {
    report.Step(UpdateStep::kNotEnded,
                "进程 " + idText + " 运行的不是 " + record.startProgram + "，不关闭");
    return;
  }
  if (!KillProcess(id, true)) {
    report.Step(UpdateStep::kNotEnded, "无法关闭进程 " + idText + "：" + CauseText(errno));
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + kEndWait;
  while (IsProcessRunning(id) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (IsProcessRunning(id)) {
    report.Step(UpdateStep::kNotEnded, "进程 " + idText + " 强制结束后仍在运行");
    return;
  }
  report.Step(UpdateStep::kEnded, idText);
}

}  // namespace

std::string DefaultRecordPath() {
  const std::string own = OwnExecutablePath();
  if (own.empty()) return {};
  return FolderOf(own) + "/" + std::string(kRecordFileName);
}

void TrustCaOfClientSettings(const std::string& recordPath) {
  SetConfiguredCaFile(ReadCaFile(FolderOf(recordPath) + "/" + std::string(kConfigIniFile)));
}

std::string TargetPath(const UpdaterRecord& record) {
  std::string target = NormalPath(record.saveFolder);
  if (!target.ends_with('/')) target += '/';
  return target + record.fileName;
}

int RunUpdate(const std::string& recordPath, UpdateReport& report) {
  if (recordPath.empty()) {
    report.Failure("找不到更新程序所在的文件夹");
    return kExitBadRecord;
  }
  // Held open until the record is taken: a newer record the program puts in
  // its place meanwhile (by rename) is another file and stays whole.
  const int recordFd = ::open(recordPath.c_str(), O_RDWR | O_CLOEXEC);
  const int openError = errno;
  report.Step(UpdateStep::kReadRecord, recordPath);
  errno = openError;
  std::string bytes;
  if (recordFd < 0 || !ReadAll(recordFd, bytes)) {
    const int error = errno;
    if (recordFd >= 0) ::close(recordFd);
    report.Failure("无法读取更新信息 " + recordPath + "：" + CauseText(error));
    return kExitBadRecord;
  }
  const auto fail = [&](const std::string& why) {
    ::close(recordFd);
    report.Failure(why);
    return kExitBadRecord;
  };
  if (bytes.empty()) return fail("更新信息 " + recordPath + " 是空的：已经用过了");
  UpdaterRecord record;
  if (!ParseUpdaterRecord(GbkToText(bytes), record)) {
    // The record's fields for whoever looks into it: pid|address|folder|file name|program.
    return fail("更新信息 " + recordPath + " 的格式不对");
  }
  if (!IsPlainFileName(record.fileName)) {
    return fail("更新信息 " + recordPath + " 中的文件名“" + record.fileName + "”无效");
  }
  // A folder relative to wherever this program was started is no place the
  // program meant.
  if (!record.saveFolder.starts_with('/')) {
    return fail("更新信息 " + recordPath + " 中的文件夹“" + record.saveFolder + "”不是完整路径");
  }
  // Taken before anything is done with it: an update that fails or is cut
  // short (a crash, a kill, a lost connection) must not be carried out again
  // by a later start of the updater, against whatever then runs under the id
  // in the record. Emptied, not removed: its time still tells the program when
  // it last handed over.
  if (::ftruncate(recordFd, 0) != 0 || ::fsync(recordFd) != 0) {
    return fail("无法清空更新信息 " + recordPath + "：" + CauseText(errno));
  }
  ::close(recordFd);
  // A new user's desktop folder may not exist yet: the file is made to land
  // there all the same.
  const std::string folder = NormalPath(record.saveFolder);
  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
    int error = 0;
    std::string blocker;
    if (!MakeFolders(folder, error, blocker)) {
      report.Failure("无法创建文件夹 " + folder + "：" + FolderCause(folder, error, blocker));
      return kExitFolderFailed;
    }
    report.Step(UpdateStep::kFolderMade, folder);
  }
  const std::string target = TargetPath(record);

  if (const int code = FetchAndReplace(record, target, report); code != kExitOk) return code;
  EndOldProgram(record, report);
  if (!StartProgram(record.startProgram, {}, HandOnEnvironment())) {
    report.Failure("无法启动 " + record.startProgram);
    return kExitStartFailed;
  }
  report.Step(UpdateStep::kStarted, record.startProgram);
  return kExitOk;
}

}  // namespace larkbay::updater
