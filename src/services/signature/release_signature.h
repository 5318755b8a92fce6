#pragma once
// Detached Ed25519 signatures of release files: a file at some address has
// its signature at that address followed by ".sig", the Base64 text of the
// 64-byte signature over the file's bytes.

#include <string>
#include <string_view>

namespace larkbay {

inline constexpr std::string_view kSignatureSuffix = ".sig";

// True when `signatureText` (Base64, surrounding white space allowed) is a
// valid signature of `bytes` by the raw 32-byte public key `publicKeyBase64`.
bool VerifyDetachedSignature(std::string_view bytes, std::string_view signatureText,
                             std::string_view publicKeyBase64);

// The same with the release key this build trusts.
bool VerifyReleaseSignature(std::string_view bytes, std::string_view signatureText);

// The Base64 public key this build trusts, and whether it is the demo key.
std::string_view ReleaseKey();
bool ReleaseKeyIsDemoKey();

// The signature text (Base64 and a newline) of `bytes` by the PEM private key
// `privateKeyPem`; empty when the key is not an Ed25519 private key.
std::string SignDetached(std::string_view bytes, std::string_view privateKeyPem);

// The Base64 raw public key of a PEM private key; empty when it is not one.
std::string PublicKeyOf(std::string_view privateKeyPem);

}  // namespace larkbay
