#pragma once
// Reading and writing one key of an INI file at a time, with no caching: every
// reader sees the latest written value. The rules are those of ini_text.h.

#include <string>
#include <string_view>

namespace larkbay {

// The value of `key` in `section` of `file`; `defaultValue` (without its
// trailing spaces) when the file, the section or the key is missing.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& file);

// Sets `key` in `section` of `file`, creating the file, the section or the key
// when missing and keeping the rest of the file. The new file replaces the old
// one atomically (a crash leaves either the old or the new file). False when the
// file cannot be read or written (its folder is not created) or the value
// cannot be stored (see IniUpdate).
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file);

}  // namespace larkbay
