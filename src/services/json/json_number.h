#pragma once
// Numbers in the script language's own text form (Number.prototype.toString).

#include <string>

namespace larkbay {

// Shortest digits that read back to the same double; plain notation from
// 1e-6 up to below 1e21, exponent form ("1e+21", "1.5e-7") outside; -0 as
// "0"; "NaN", "Infinity", "-Infinity" for the values that are not finite.
void AppendNumberText(std::string& out, double value);

}  // namespace larkbay
