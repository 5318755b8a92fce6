#include "file_digests.h"

#include <fstream>
#include <iterator>

#include "services/text/text_helpers.h"

namespace larkbay::server {

bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string FileDigests::Md5Of(const std::filesystem::path& file) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) return {};
  const auto modified = std::filesystem::last_write_time(file, ec);
  if (ec) return {};
  {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(file);
    if (it != entries_.end() && it->second.size == size && it->second.modified == modified) {
      return it->second.md5;
    }
  }
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return {};
  std::string md5 = Md5Hex(bytes, false);
  std::lock_guard lock(mutex_);
  entries_[file] = Entry{size, modified, md5};
  return md5;
}

}  // namespace larkbay::server
