#include "services/json/json_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace larkbay {

void AppendNumberText(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (value == 0) {  // also -0
    out += '0';
    return;
  }
  if (value < 0) {
    out += '-';
    value = -value;
  }
  if (std::isinf(value)) {
    out += "Infinity";
    return;
  }
  // Scientific form gives the shortest round-trip digits d[.ddd]e±x.
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const auto e = sci.find('e');
  char digits[24];
  int k = 0;
  for (char c : sci.substr(0, e)) {
    if (c != '.') {
      digits[k++] = c;
    }
  }
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  const int n = exponent + 1;  // value = 0.digits × 10^n
  const std::string_view d(digits, static_cast<std::size_t>(k));
  if (k <= n && n <= 21) {
    out += d;
    out.append(static_cast<std::size_t>(n - k), '0');
  } else if (0 < n && n <= 21) {
    out += d.substr(0, static_cast<std::size_t>(n));
    out += '.';
    out += d.substr(static_cast<std::size_t>(n));
  } else if (-6 < n && n <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-n), '0');
    out += d;
  } else {
    out += d[0];
    if (k > 1) {
      out += '.';
      out += d.substr(1);
    }
    out += 'e';
    out += n - 1 >= 0 ? '+' : '-';
    char exp[8];
    const auto er = std::to_chars(exp, exp + sizeof exp, std::abs(n - 1));
    out.append(exp, er.ptr);
  }
}

}  // namespace larkbay
