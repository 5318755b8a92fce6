#pragma once
// How a keyword goes into a catalogue query.

#include <string>
#include <string_view>

namespace larkbay {

// The UTF-8 bytes of `value`, each one kept when it is "-", ".", a digit or an
// ASCII letter, otherwise written as "%" and two upper-case hexadecimal digits
// (so "_", "~", "/" and the space are escaped too). Empty gives empty.
std::string EncodeQueryValue(std::string_view value);

}  // namespace larkbay
