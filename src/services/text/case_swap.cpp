#include "services/text/text_helpers.h"

namespace larkbay {

// Byte by byte: only ever applied to Base64 text, so multi-byte characters
// need no care.
std::string SwapLetterCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (static_cast<unsigned char>((u | 0x20) - 'a') < 26) c = static_cast<char>(u ^ 0x20);
  }
  return out;
}

}  // namespace larkbay
