// JsonObject on arbitrary text: Parse, then a few operations picked by the
// first bytes, with paths and values cut from the text itself. Checks that a
// parsed document written out reads back to the same text.
//
// Input: 8 control bytes (four pairs: operation, piece), then the document.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "services/json/json_object.h"

namespace {

using larkbay::JsonObject;

constexpr std::size_t kControlBytes = 8;

// The pieces between double quotes: member names and string values, the
// most likely path parts.
std::vector<std::string_view> QuotedPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t from = 0;
  while (pieces.size() < 64) {
    const std::size_t at = text.find('"', from);
    if (at == std::string_view::npos) {
      break;
    }
    pieces.push_back(text.substr(from, at - from));
    from = at + 1;
  }
  pieces.push_back(text.substr(from, 32));
  return pieces;
}

std::string Piece(std::string_view text, const std::vector<std::string_view>& pieces,
                  std::uint8_t pick) {
  const std::string_view a = pieces[pick % pieces.size()];
  const std::string_view b = pieces[(pick + 1u) % pieces.size()];
  switch (pick >> 5) {
    case 0:
      return std::string(a);
    case 1:
      return "da." + std::string(a);
    case 2:
      return std::string(a) + "[" + std::to_string(pick % 4) + "]";
    case 3:
      return std::string(a) + "." + std::string(b);
    case 4:
      return "da[\"" + std::string(a) + "\"]";
    case 5:
      return std::string(a) + "[0]." + std::string(b);
    case 6:
      return std::string(text.substr(text.empty() ? 0 : (pick * 7u) % text.size(), 12));
    default:
      return {};
  }
}

[[noreturn]] void Fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "%s\n  first:  %.*s\n  second: %.*s\n", what, static_cast<int>(a.size()),
               a.data(), static_cast<int>(b.size()), b.data());
  std::abort();
}

// A document that Parse accepted is written as JSON that Parse accepts again
// and writes out the same. Left out: a top-level string (its value is read
// once more as a program, so its text is not the document's), a top-level
// number that is not finite (written as null), and U+2400, which stands for a
// stored backslash and is written out as a raw one.
void CheckRoundTrip(std::string_view text, const JsonObject& parsed) {
  const std::string_view body = text.substr(0, text.find('\0'));
  const std::size_t first = body.find_first_not_of(" \t\r\n\v\f");
  if (first == std::string_view::npos || body[first] == '"' ||
      body.find("\xE2\x90\x80") != std::string_view::npos ||
      body.find("\\u2400") != std::string_view::npos) {
    return;
  }
  const std::string once = parsed.ToText();
  if (once == "null") {
    return;
  }
  JsonObject again;
  if (!again.Parse(once)) {
    Fail("ToText of a parsed document does not parse", text, once);
  }
  const std::string twice = again.ToText();
  if (twice != once) {
    Fail("ToText is not stable", once, twice);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kControlBytes) {
    JsonObject doc;
    doc.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
  }
  const std::uint8_t* control = data;
  const std::string_view text(reinterpret_cast<const char*>(data + kControlBytes),
                              size - kControlBytes);

  JsonObject doc;
  if (doc.Parse(text)) {
    CheckRoundTrip(text, doc);
  }
  const std::vector<std::string_view> pieces = QuotedPieces(text);
  std::vector<std::string> names;
  for (std::size_t k = 0; k < kControlBytes; k += 2) {
    const std::uint8_t op = control[k];
    const bool flag = (op & 8) != 0;
    const int index = (op >> 4) - 1;  // -1 .. 14
    const std::string path = Piece(text, pieces, control[k + 1]);
    switch (op & 7) {
      case 0:
        (void)doc.ToText();
        break;
      case 1:
        (void)doc.GetText(path, flag);
        break;
      case 2:
        (void)doc.GetCount(path);
        break;
      case 3: {
        const int count = doc.GetNames(names, path);
        if (count != static_cast<int>(names.size())) {
          Fail("GetNames count differs from the list", path, std::to_string(count));
        }
        break;
      }
      case 4: {
        const JsonObject item = doc.GetItemObject(index, path);
        (void)item.ToText();
        (void)item.GetText(Piece(text, pieces, control[k]));
        break;
      }
      case 5:
        (void)doc.GetItemText(index, path, flag);
        break;
      case 6: {
        const std::string value = Piece(text, pieces, static_cast<std::uint8_t>(~control[k + 1]));
        if (doc.SetValue(path, value, flag) && !flag) {
          // A plain text value stored at a path reads back from that path
          // unless the path does not name one place.
          (void)doc.GetText(path);
        }
        break;
      }
      default: {
        // Writes the sub-document and sets it back elsewhere.
        const std::string sub = doc.GetText(path, true);
        doc.SetValue(Piece(text, pieces, control[k]), sub, true);
        break;
      }
    }
  }
  (void)doc.ToText();
  return 0;
}
