#include "net/header_rules.h"

#include <algorithm>
#include <unordered_set>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
}

std::vector<std::string> CookieItems(std::string_view list) {
  std::string trimmed(TrimSpaces(list));
  if (!trimmed.empty() && trimmed.back() == ';') trimmed += ' ';
  std::vector<std::string> items;
  if (trimmed.empty()) return items;
  for (std::string_view item : SplitAt(trimmed, "; ")) {
    if (!item.empty()) items.emplace_back(item);
  }
  return items;
}

std::string_view CookieName(std::string_view item) {
  return TrimSpaces(item.substr(0, item.find('=')));
}

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ContainsNoCase(std::string_view text, std::string_view probe) {
  return std::search(text.begin(), text.end(), probe.begin(), probe.end(),
                     [](char a, char b) { return Lower(a) == Lower(b); }) != text.end() ||
         probe.empty();
}

std::vector<std::string_view> SplitHeaderLines(std::string_view block) {
  std::vector<std::string_view> lines = SplitAt(block, "\r\n");
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

std::string NormaliseHeaderNames(std::string_view headers) {
  std::string out;
  for (std::string_view line : SplitHeaderLines(headers)) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string name(line.substr(0, colon));
    bool partStart = true;
    for (char& c : name) {
      if (partStart) c = Upper(c);
      partStart = c == '-';
    }
    out += name;
    out += line.substr(colon);
    out += "\r\n";
  }
  if (!out.empty()) out.resize(out.size() - 2);
  return out;
}

std::string MergeCookies(std::string_view sent, std::string_view returned) {
  std::vector<std::string> items = CookieItems(returned);
  std::vector<std::string> returnedNames;
  for (const std::string& item : items) returnedNames.emplace_back(CookieName(item));
  for (const std::string& item : CookieItems(sent)) {
    if (std::find(returnedNames.begin(), returnedNames.end(), CookieName(item)) ==
        returnedNames.end()) {
      items.push_back(item);
    }
  }
  std::string out;
  std::unordered_set<std::string_view> seen;
  for (const std::string& item : items) {
    if (item.size() >= 8 && std::string_view(item).substr(item.size() - 8) == "=deleted") continue;
    if (!seen.insert(item).second) continue;
    if (!out.empty()) out += "; ";
    out += item;
  }
  return out;
}

std::string CollectSetCookies(std::string_view responseHeaders) {
  static constexpr std::string_view kMarker = "Set-Cookie:";
  std::string cookies;
  for (std::string_view line : SplitHeaderLines(responseHeaders)) {
    if (TextBefore(line, ": ") != "Set-Cookie") continue;
    std::string cookie;
    if (line.find(';') != std::string_view::npos) {
      cookie = TextBetween(line, kMarker, ";");
    } else {
      cookie = line;
      const size_t at = cookie.find(kMarker);
      if (at != std::string::npos) cookie.erase(at, kMarker.size());
    }
    cookies += TrimSpaces(cookie);
    cookies += "; ";
  }
  if (cookies.size() >= 2) cookies.resize(cookies.size() - 2);
  return cookies;
}

}  // namespace larkbay
