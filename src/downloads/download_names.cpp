#include "downloads/download_names.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

// Length of the UTF-8 sequence starting with `lead`; 0 for a byte that
// cannot start one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

std::string TempFileName(std::string_view lengthText, std::string_view name) {
  std::string text(lengthText);
  text += name;
  return Md5Hex(TextToGbk(text), false) + ".MT";
}

std::string UrlExtension(std::string_view url) {
  const std::string_view path = url.substr(0, url.find('?'));
  const size_t slash = path.find_last_of("/\\");
  const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = last.rfind('.');
  if (dot == std::string_view::npos) return {};
  return std::string(last.substr(dot));
}

std::string SizeText(std::int64_t bytes) {
  if (bytes < 0) bytes = 0;
  // Whole hundredths, rounded half up, so no floating-point step changes a
  // digit of a size that lies on a half.
  // Split so that no size, however large, overflows.
  const std::int64_t hundredths =
      bytes / 1048576 * 100 + ((bytes % 1048576) * 100 + 524288) / 1048576;
  char text[48];
  std::snprintf(text, sizeof text, "%" PRId64 ".%02" PRId64 "MB", hundredths / 100,
                hundredths % 100);
  return text;
}

std::string SafeFileName(std::string_view name, size_t reserve) {
  const std::string text = SanitizeUtf8(name);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = std::max<size_t>(SequenceLength(byte), 1);
    if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\') {
      out += '_';
    } else if (length == 2 && byte == 0xC2 &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      out += '_';  // C1 control characters
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  // Leading dots would hide the file or name "." and ".."; leading spaces
  // are lost by most file pickers.
  const size_t first = out.find_first_not_of(". ");
  out.erase(0, first == std::string::npos ? out.size() : first);
  while (!out.empty() && out.back() == ' ') out.pop_back();

  const size_t limit = reserve < kMaxFileNameBytes ? kMaxFileNameBytes - reserve : 1;
  if (out.size() > limit) {
    size_t cut = 0;
    for (size_t i = 0; i < out.size();) {
      const size_t length = std::max<size_t>(SequenceLength(static_cast<unsigned char>(out[i])), 1);
      if (i + length > limit) break;
      i += length;
      cut = i;
    }
    out.resize(cut);
  }
  if (out.empty()) out.assign(1, '_');
  return out;
}

std::string SafeExtension(std::string_view ext) {
  if (ext.size() < 2 || ext.size() > 32 || ext.front() != '.') return {};
  const std::string rest = SafeFileName(ext.substr(1));
  if (rest == "_" && ext.substr(1) != "_") return {};
  // Invalid bytes grow threefold as U+FFFD: the bound holds for what is kept,
  // or the extension would take the name's room.
  if (rest.size() + 1 > 32) return {};
  return "." + rest;
}

NameParts SplitExtension(std::string_view fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {std::string(fileName), {}};
  return {std::string(fileName.substr(0, dot)), std::string(fileName.substr(dot))};
}

std::string FinalPath(std::string_view folder, std::string_view fileName,
                      const std::function<bool(const std::string&)>& exists) {
  std::string target = std::string(folder) + std::string(fileName);
  const NameParts parts = SplitExtension(fileName);
  for (int n = 1; exists(target); ++n)
    target = std::string(folder) + parts.stem + "(" + std::to_string(n) + ")" + parts.ext;
  return target;
}

}  // namespace larkbay
