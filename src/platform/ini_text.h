#pragma once
// The private-profile (INI) rules, on the text of a whole file. The file
// functions in private_profile.h read and write through these.
//
// Rules:
// - Lines end in LF or CRLF; a UTF-8 byte-order mark at the start is ignored.
// - "[name]" opens a section (spaces around the line and inside the brackets
//   are ignored; text after "]" is ignored). Lines before the first section
//   belong to no section.
// - "key=value" inside a section: key and value lose their leading and trailing
//   spaces and tabs; a value enclosed in one matching pair of double or single
//   quotes loses that pair. Lines starting with ";" and lines without "=" are
//   not entries.
// - Section and key names compare case-insensitively (ASCII letters).
// - When a section or key appears more than once, the first one counts, for
//   reading and for writing.

#include <optional>
#include <string>
#include <string_view>

namespace larkbay {

// The value of `key` in `section`, or nothing when the entry is missing.
std::optional<std::string> IniLookup(std::string_view content, std::string_view section,
                                     std::string_view key);

// `content` with `key` in `section` set to `value`. Everything else stays as it
// was, byte for byte: other sections and keys, comments, blank lines, order and
// line endings. An existing entry is rewritten in place as "key=value" (keeping
// the key's spelling in the file); a missing key is added after the last entry
// of its section; a missing section is added at the end of the file. New lines
// use the file's line ending (LF for an empty file).
// Nothing when the names or the value cannot be stored on one line (a CR or LF
// anywhere, "=" in the key, "]" in the section, or an empty name).
std::optional<std::string> IniUpdate(std::string_view content, std::string_view section,
                                     std::string_view key, std::string_view value);

}  // namespace larkbay
