#pragma once
// The names a download goes by: its temporary file, the extension its address
// gives, the size shown in its row, the safe file name a server's text becomes
// and the final name that never replaces a file already there.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace larkbay {

// The temporary file's name for a download of `name` whose announced length
// is `lengthText` ("" when unknown): lower-case MD5 of the GB18030 bytes of
// the two texts, then ".MT".
std::string TempFileName(std::string_view lengthText, std::string_view name);

// The extension of the address's path: what follows the last "." of its last
// path component, the dot included, looking only before the first "?"; ""
// when there is none.
std::string UrlExtension(std::string_view url);

// `ext` (as UrlExtension gives it) fit for a file name: made safe like a
// name, and dropped when it or its safe form is longer than 32 bytes or when
// nothing is left.
std::string SafeExtension(std::string_view ext);

// Bytes as MiB with exactly two decimals, then "MB": 3670016 gives "3.50MB".
// An unknown (negative) size counts as 0.
std::string SizeText(std::int64_t bytes);

// Longest file name (in bytes) the download folder is given; room is left in
// the file system's 255 for a " (999)" counter.
inline constexpr size_t kMaxFileNameBytes = 240;

// `name` made safe as one file name inside the download folder: path
// separators and control characters become "_", leading dots and spaces go,
// invalid UTF-8 becomes U+FFFD, and the name is cut (at a character boundary)
// to fit kMaxFileNameBytes together with `reserve` further bytes. Every other
// character (CJK, kana, emoji …) stays. An empty result becomes "_".
std::string SafeFileName(std::string_view name, size_t reserve = 0);

// The path a finished file gets in `folder` (ending with "/"): `fileName`
// itself when nothing is there, else "name(1).ext", "name(2).ext", … — the
// first whose path `exists` says is free.
std::string FinalPath(std::string_view folder, std::string_view fileName,
                      const std::function<bool(const std::string&)>& exists);

// `fileName` split at the dot of its extension (the last "." that is not the
// first character); ext keeps the dot.
struct NameParts {
  std::string stem;
  std::string ext;
};
NameParts SplitExtension(std::string_view fileName);

}  // namespace larkbay
