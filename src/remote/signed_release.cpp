#include "remote/signed_release.h"

#include "net/inet_request.h"
#include "services/log/developer_log.h"
#include "services/signature/release_signature.h"

namespace larkbay {
namespace {

bool Verified(const std::string& what, const SignedFile& file) {
  if (VerifyReleaseSignature(file.bytes, file.signature)) return true;
  DevLog(LogArea::kStartup, what + (file.signature.empty()
                                        ? ": no signature comes with it; not used"
                                        : ": its signature is not the release key's; not used"));
  return false;
}

}  // namespace

bool FetchSignedRelease(const std::string& address, SignedFile& file) {
  file.bytes = InetRequest(address);
  if (file.bytes.empty()) return false;
  file.signature = InetRequest(address + std::string(kSignatureSuffix));
  if (Verified(address, file)) return true;
  file = {};
  return false;
}

bool ReadSignedFile(const std::string& path, SignedFile& file) {
  file = {};
  if (!ReadWholeFile(path, file.bytes)) return false;
  if (!ReadWholeFile(path + std::string(kSignatureSuffix), file.signature)) file.signature.clear();
  return Verified(path, file);
}

bool WriteSignedFile(const std::string& path, const SignedFile& file, FileKind kind) {
  return WriteFileAtomically(path + std::string(kSignatureSuffix), file.signature) &&
         WriteFileAtomically(path, file.bytes, kind);
}

}  // namespace larkbay
