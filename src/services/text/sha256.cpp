#include <openssl/evp.h>

#include "services/text/text_helpers.h"

namespace larkbay {

std::string Sha256Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1 ||
      length != 32)
    return {};
  constexpr char kDigits[] = "0123456789abcdef";
  std::string out(64, '0');
  for (unsigned int i = 0; i < length; ++i) {
    out[i * 2] = kDigits[digest[i] >> 4];
    out[i * 2 + 1] = kDigits[digest[i] & 15];
  }
  return out;
}

}  // namespace larkbay
