#include "platform/ini_text.h"

#include <vector>

namespace larkbay {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

enum class LineKind { Other, Section, Entry };

// One line of the file: its text is content[begin, end); the line ending (if
// any) runs from end to next.
struct Line {
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;
  LineKind kind = LineKind::Other;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // entry value, trimmed
  size_t keyBegin = 0;     // where the key starts in the content
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  size_t pos = content.starts_with(kBom) ? kBom.size() : 0;
  while (pos < content.size()) {
    Line line;
    line.begin = pos;
    const size_t lf = content.find('\n', pos);
    line.next = lf == std::string_view::npos ? content.size() : lf + 1;
    line.end = lf == std::string_view::npos ? content.size() : lf;
    if (line.end > line.begin && content[line.end - 1] == '\r') --line.end;
    pos = line.next;

    const std::string_view raw = content.substr(line.begin, line.end - line.begin);
    const std::string_view text = Trim(raw);
    if (text.starts_with('[')) {
      const size_t close = text.find(']');
      if (close != std::string_view::npos) {
        line.kind = LineKind::Section;
        line.name = Trim(text.substr(1, close - 1));
      }
    } else if (!text.empty() && !text.starts_with(';')) {
      const size_t eq = text.find('=');
      if (eq != std::string_view::npos) {
        line.kind = LineKind::Entry;
        line.name = Trim(text.substr(0, eq));
        line.value = Trim(text.substr(eq + 1));
        line.keyBegin = line.begin + static_cast<size_t>(text.data() - raw.data());
      }
    }
    lines.push_back(line);
  }
  return lines;
}

// Index range [first, last) of the lines inside the first section called
// `section` (header excluded); first == npos when there is no such section.
struct SectionSpan {
  size_t header = std::string_view::npos;
  size_t last = 0;
};

SectionSpan FindSection(const std::vector<Line>& lines, std::string_view section) {
  SectionSpan span;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::Section) continue;
    if (span.header != std::string_view::npos) {
      span.last = i;
      return span;
    }
    if (SameName(lines[i].name, section)) span.header = i;
  }
  span.last = lines.size();
  return span;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\'')) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> IniLookup(std::string_view content, std::string_view section,
                                     std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  if (key.empty()) return std::nullopt;
  const std::vector<Line> lines = SplitLines(content);
  const SectionSpan span = FindSection(lines, section);
  if (span.header == std::string_view::npos) return std::nullopt;
  for (size_t i = span.header + 1; i < span.last; ++i) {
    if (lines[i].kind == LineKind::Entry && SameName(lines[i].name, key)) {
      return std::string(Unquote(lines[i].value));
    }
  }
  return std::nullopt;
}

std::optional<std::string> IniUpdate(std::string_view content, std::string_view section,
                                     std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key) ||
      HasLineBreakOrNul(value) || section.find(']') != std::string_view::npos ||
      key.find('=') != std::string_view::npos || key.starts_with(';') || key.starts_with('[')) {
    return std::nullopt;
  }

  const std::vector<Line> lines = SplitLines(content);
  std::string eol = "\n";
  if (!lines.empty() && lines.front().next > lines.front().end) {
    eol = std::string(content.substr(lines.front().end, lines.front().next - lines.front().end));
  }

  std::string out;
  out.reserve(content.size() + section.size() + key.size() + value.size() + 8);
  const SectionSpan span = FindSection(lines, section);

  if (span.header == std::string_view::npos) {
    out.append(content);
    if (!out.empty() && !out.ends_with('\n')) out += eol;
    if (!lines.empty() && lines.back().end > lines.back().begin &&
        !Trim(content.substr(lines.back().begin, lines.back().end - lines.back().begin)).empty()) {
      out += eol;  // a blank line between sections
    }
    out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    return out;
  }

  size_t after = span.header;  // the line after which a new entry goes
  for (size_t i = span.header + 1; i < span.last; ++i) {
    if (lines[i].kind != LineKind::Entry) continue;
    if (SameName(lines[i].name, key)) {
      const Line& line = lines[i];
      out.append(content.substr(0, line.keyBegin));
      out.append(line.name).append("=").append(value);
      out.append(content.substr(line.end));
      return out;
    }
    after = i;
  }

  const Line& line = lines[after];
  out.append(content.substr(0, line.next));
  if (line.next == line.end) out += eol;  // the file's last line had no line ending
  out.append(key).append("=").append(value);
  if (line.next != line.end) out += eol;
  out.append(content.substr(line.next));
  return out;
}

}  // namespace larkbay
