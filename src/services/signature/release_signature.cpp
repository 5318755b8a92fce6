#include "services/signature/release_signature.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

#include "services/signature/release_key.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr size_t kKeyLength = 32;
constexpr size_t kSignatureLength = 64;

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Context = std::unique_ptr<EVP_MD_CTX, ContextFree>;

bool IsBase64Char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/' || c == '=';
}

std::string_view Trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// Strict Base64 of exactly `length` bytes: the lenient decoder of the text
// services would accept stray characters, and a signature is all or nothing.
bool DecodeExactly(std::string_view text, size_t length, Bytes& out) {
  text = Trimmed(text);
  if (text.size() != (length + 2) / 3 * 4) return false;
  for (const char c : text) {
    if (!IsBase64Char(c)) return false;
  }
  out = Base64Decode(text);
  return out.size() == length && Base64Encode(out) == text;
}

Key PrivateKeyFrom(std::string_view pem) {
  std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) return nullptr;
  Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  if (!key || EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519) return nullptr;
  return key;
}

}  // namespace

bool VerifyDetachedSignature(std::string_view bytes, std::string_view signatureText,
                             std::string_view publicKeyBase64) {
  Bytes rawKey;
  Bytes signature;
  if (!DecodeExactly(publicKeyBase64, kKeyLength, rawKey) ||
      !DecodeExactly(signatureText, kSignatureLength, signature))
    return false;
  Key key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                      reinterpret_cast<const unsigned char*>(rawKey.data()),
                                      rawKey.size()));
  Context context(EVP_MD_CTX_new());
  if (!key || !context ||
      EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
    return false;
  return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                          signature.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                          bytes.size()) == 1;
}

bool VerifyReleaseSignature(std::string_view bytes, std::string_view signatureText) {
  return VerifyDetachedSignature(bytes, signatureText, ReleaseKey());
}

std::string_view ReleaseKey() { return kReleaseKey; }

bool ReleaseKeyIsDemoKey() { return kReleaseKey == kDemoReleaseKey; }

std::string SignDetached(std::string_view bytes, std::string_view privateKeyPem) {
  const Key key = PrivateKeyFrom(privateKeyPem);
  Context context(EVP_MD_CTX_new());
  if (!key || !context ||
      EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
    return {};
  unsigned char signature[kSignatureLength];
  size_t length = sizeof signature;
  if (EVP_DigestSign(context.get(), signature, &length,
                     reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != 1 ||
      length != kSignatureLength)
    return {};
  return Base64Encode(std::string_view(reinterpret_cast<const char*>(signature), length)) + "\n";
}

std::string PublicKeyOf(std::string_view privateKeyPem) {
  const Key key = PrivateKeyFrom(privateKeyPem);
  unsigned char raw[kKeyLength];
  size_t length = sizeof raw;
  if (!key || EVP_PKEY_get_raw_public_key(key.get(), raw, &length) != 1 || length != kKeyLength)
    return {};
  return Base64Encode(std::string_view(reinterpret_cast<const char*>(raw), length));
}

}  // namespace larkbay
