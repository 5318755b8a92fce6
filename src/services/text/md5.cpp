#include <openssl/evp.h>

#include "services/text/text_helpers.h"

namespace larkbay {

std::string Md5Hex(std::string_view bytes, bool upperCase) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1 ||
      length != 16) {
    return {};
  }
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out(32, '0');
  for (unsigned int i = 0; i < length; ++i) {
    out[i * 2] = digits[digest[i] >> 4];
    out[i * 2 + 1] = digits[digest[i] & 15];
  }
  return out;
}

}  // namespace larkbay
