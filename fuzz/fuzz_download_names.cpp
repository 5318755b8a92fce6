// The names a download goes by, from arbitrary server texts: the safe file
// name and extension must stay one harmless name inside the download folder,
// the final path must never be a taken one, and the temporary name is always
// 32 hex digits and ".MT".
//
// Input: two control bytes (the name's reserve, and which final names are
// taken), then the name; the address after the first "\n", the announced
// length after the second.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "downloads/download_names.h"
#include "services/text/text_helpers.h"

namespace {

using namespace larkbay;

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::string_view NextLine(std::string_view& rest) {
  const size_t cut = rest.find('\n');
  const std::string_view line = rest.substr(0, cut);
  rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  return line;
}

// What the download folder is given must be one plain name in it.
void CheckSafeName(const std::string& name, size_t limit) {
  if (name.empty()) Fail("an empty file name");
  if (name.size() > limit) Fail("a file name longer than its room");
  if (name == "." || name == "..") Fail("a file name that names a folder");
  if (name.front() == '.' || name.front() == ' ') Fail("a hidden or blank-led file name");
  if (SanitizeUtf8(name) != name) Fail("a file name that is no UTF-8");
  for (size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\')
      Fail("a separator or control character in a file name");
    if (byte == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0)
      Fail("a C1 control character in a file name");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const size_t reserve = data[0];
  const std::uint8_t taken = data[1];
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string_view name = NextLine(rest);
  const std::string_view url = NextLine(rest);
  const std::string_view length = rest;

  const std::string safe = SafeFileName(name, reserve);
  CheckSafeName(safe, reserve < kMaxFileNameBytes ? kMaxFileNameBytes - reserve : 1);

  const std::string ext = SafeExtension(UrlExtension(url));
  if (!ext.empty()) {
    if (ext.size() > 32 || ext.front() != '.') Fail("an extension that is none");
    CheckSafeName(ext.substr(1), kMaxFileNameBytes);
  }

  const std::string temp = TempFileName(length, name);
  if (temp.size() != 35 || temp.substr(32) != ".MT" ||
      temp.find_first_not_of("0123456789abcdef") != 32)
    Fail("a temporary name that is not the digest and .MT");

  // The final name: the plain one and the first few numbered ones may be
  // taken, as the control byte's bits say.
  const std::string fileName = safe + ext;
  const NameParts parts = SplitExtension(fileName);
  if (parts.stem + parts.ext != fileName) Fail("a split name that loses bytes");
  std::set<std::string> present;
  const std::string folder = "/downloads/";
  if (taken & 1) present.insert(folder + fileName);
  for (int n = 1; n < 8; ++n)
    if (taken & (1 << n)) present.insert(folder + parts.stem + "(" + std::to_string(n) + ")" + parts.ext);
  const std::string final =
      FinalPath(folder, fileName, [&](const std::string& path) { return present.count(path) > 0; });
  if (present.count(final) > 0) Fail("a final path that is taken");
  if (final.compare(0, folder.size(), folder) != 0 ||
      final.find('/', folder.size()) != std::string::npos)
    Fail("a final path outside the download folder");

  // Any byte count, however large or negative, shows as "<digits>.<two>MB".
  std::int64_t bytes = 0;
  if (!length.empty()) std::memcpy(&bytes, length.data(), std::min(length.size(), sizeof bytes));
  const std::string shown = SizeText(bytes);
  const size_t dot = shown.find('.');
  if (dot == std::string::npos || dot == 0 || shown.size() != dot + 5 ||
      shown.substr(dot + 3) != "MB" || shown.find_first_not_of("0123456789") != dot ||
      shown.find_first_not_of("0123456789", dot + 1) != dot + 3)
    Fail("a size text of another form");
  return 0;
}
