// Release signatures: signing what a server offers, checking what it sent.
#include <cstdio>

#include "cli_command.h"
#include "platform/file_system.h"
#include "services/signature/release_signature.h"

namespace larkbay::cli {
namespace {

// sign --key PEM FILE...: FILE.sig beside each file.
int SignCommand(const std::vector<std::string>& args) {
  if (args.size() < 3 || args[0] != "--key") return UsageError("usage: sign --key PEM FILE...");
  std::string pem;
  if (!ReadWholeFile(args[1], pem)) return UsageError("sign: cannot read the key " + args[1]);
  if (PublicKeyOf(pem).empty()) return UsageError("sign: " + args[1] + " is no Ed25519 private key");
  for (size_t i = 2; i < args.size(); ++i) {
    std::string bytes;
    if (!ReadWholeFile(args[i], bytes)) return UsageError("sign: cannot read " + args[i]);
    const std::string signature = SignDetached(bytes, pem);
    const std::string target = args[i] + std::string(kSignatureSuffix);
    if (signature.empty() || !WriteFileAtomically(target, signature))
      return UsageError("sign: cannot write " + target);
  }
  return 0;
}

// verify FILE [SIG] [--key BASE64]: exit 0 for a good signature.
int VerifyCommand(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  std::string key(ReleaseKey());
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--key" && i + 1 < args.size()) {
      key = args[++i];
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty() || files.size() > 2) return UsageError("usage: verify FILE [SIG] [--key BASE64]");
  const std::string sigPath = files.size() == 2 ? files[1] : files[0] + std::string(kSignatureSuffix);
  std::string bytes;
  std::string signature;
  if (!ReadWholeFile(files[0], bytes)) return UsageError("verify: cannot read " + files[0]);
  if (!ReadWholeFile(sigPath, signature)) return UsageError("verify: cannot read " + sigPath);
  const bool good = VerifyDetachedSignature(bytes, signature, key);
  std::fprintf(good ? stdout : stderr, "%s: %s\n", files[0].c_str(),
               good ? "good signature" : "BAD signature");
  return good ? 0 : 1;
}

// public-key PEM: the Base64 value a build takes as LARKBAY_RELEASE_KEY.
int PublicKeyCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("usage: public-key PEM");
  std::string pem;
  if (!ReadWholeFile(args[0], pem)) return UsageError("public-key: cannot read " + args[0]);
  const std::string key = PublicKeyOf(pem);
  if (key.empty()) return UsageError("public-key: " + args[0] + " is no Ed25519 private key");
  return PrintText(key);
}

const CommandRegistration sign{
    "sign", "sign --key PEM FILE...    write FILE.sig, the Ed25519 release signature of FILE",
    &SignCommand};
const CommandRegistration verify{
    "verify", "verify FILE [SIG] [--key BASE64]  check FILE.sig against the release key",
    &VerifyCommand};
const CommandRegistration publicKey{
    "public-key", "public-key PEM            the LARKBAY_RELEASE_KEY value of a private key",
    &PublicKeyCommand};

}  // namespace
}  // namespace larkbay::cli
