#include <cctype>
#include <cstdio>
#include <ctime>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr std::int64_t kEightHours = 8 * 3600;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int MonthIndex(std::string_view name) {
  static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                            "jul", "aug", "sep", "oct", "nov", "dec"};
  if (name.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    bool same = true;
    for (int k = 0; k < 3; ++k) {
      if (std::tolower(static_cast<unsigned char>(name[k])) != kMonths[m][k]) same = false;
    }
    if (same) return m + 1;
  }
  return 0;
}

struct Cursor {
  std::string_view s;
  size_t i = 0;
  void SkipSeparators() {
    while (i < s.size() && (s[i] == ' ' || s[i] == ',' || s[i] == '-' || s[i] == '\t')) ++i;
  }
  bool Number(int maxDigits, std::int64_t& value) {
    SkipSeparators();
    size_t start = i;
    value = 0;
    while (i < s.size() && i - start < static_cast<size_t>(maxDigits) &&
           std::isdigit(static_cast<unsigned char>(s[i]))) {
      value = value * 10 + (s[i] - '0');
      ++i;
    }
    return i > start;
  }
  std::string_view Word() {
    SkipSeparators();
    size_t start = i;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(start, i - start);
  }
  bool Expect(char c) {
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
};

}  // namespace

// Accepts the RFC 1123 form ("Sun, 06 Nov 1994 08:49:37 GMT") and the RFC 850
// form ("Sunday, 06-Nov-94 08:49:37 GMT") that old servers still send.
Utc8Time HttpDateToUtc8(std::string_view httpDate) {
  Cursor c{httpDate};
  c.Word();  // the weekday, not needed
  std::int64_t day = 0, year = 0, hour = 0, minute = 0, second = 0;
  if (!c.Number(2, day)) return {};
  const int month = MonthIndex(c.Word());
  if (month == 0) return {};
  if (!c.Number(4, year)) return {};
  if (year < 100) year += year < 70 ? 2000 : 1900;
  if (!c.Number(2, hour) || !c.Expect(':') || !c.Number(2, minute) || !c.Expect(':') ||
      !c.Number(2, second)) {
    return {};
  }
  if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return {};
  const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  Utc8Time t;
  t.seconds = days * 86400 + hour * 3600 + minute * 60 + second + kEightHours;
  t.valid = true;
  return t;
}

std::string FormatHttpDate(std::int64_t unixSeconds) {
  const auto seconds = static_cast<std::time_t>(unixSeconds);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday],
                utc.tm_mday, kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                utc.tm_sec);
  return text;
}

Utc8Time LocalClockNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  Utc8Time t;
  t.seconds = static_cast<std::int64_t>(now) + local.tm_gmtoff;
  t.valid = true;
  return t;
}

std::string UnixSeconds(Utc8Time time) {
  std::string digits = std::to_string(time.seconds - kEightHours);
  if (digits.size() < 10) digits.insert(0, 10 - digits.size(), '0');
  digits.resize(10);
  return digits;
}

}  // namespace larkbay
