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

}  // namespace

std::string DeclaredCharset(std::string_view text) {
  RegexObject regex;
  if (!regex.Execute(kCharsetPattern, text.substr(0, kDeclarationWindow))) return {};
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
