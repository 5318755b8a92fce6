#include "net/html_charset.h"

#include "services/regex/regex_object.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr std::string_view kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";
constexpr size_t kDeclarationWindow = 1024;

std::string_view UpToNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

bool IsGbkName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  return lower == "gbk" || lower == "gb2312";
}

// The pattern cannot match without "<meta"; most bodies (the gateway's Base64
// answers) have none, and skip the regular expression.
bool MayDeclare(std::string_view window) {
  for (size_t at = window.find('<'); at != std::string_view::npos; at = window.find('<', at + 1)) {
    const std::string_view tag = window.substr(at + 1, 4);
    if (tag.size() == 4 && (tag[0] | 0x20) == 'm' && (tag[1] | 0x20) == 'e' &&
        (tag[2] | 0x20) == 't' && (tag[3] | 0x20) == 'a') {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string DeclaredCharset(std::string_view text) {
  const std::string_view window = text.substr(0, kDeclarationWindow);
  if (!MayDeclare(window)) return {};
  RegexObject regex;
  if (!regex.Execute(kCharsetPattern, window)) return {};
  return regex.GetSubMatch(1, 1);
}

std::string BodyToText(std::string_view body) {
  const std::string_view text = UpToNul(body);
  const std::string charset = DeclaredCharset(text);
  if (charset.empty()) return std::string(text);
  if (IsGbkName(charset)) return std::string(UpToNul(GbkToText(body)));
  std::string decoded;
  if (!CharsetToText(body, charset, decoded)) return std::string(text);
  return std::string(UpToNul(decoded));
}

}  // namespace larkbay
