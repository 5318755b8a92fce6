#pragma once
// MD5 digests of the files the server hands out, as the configuration announces
// them. A file is hashed again only when its size or modification time changed.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace larkbay::server {

class FileDigests {
 public:
  // Lower-case hex MD5 of the file's bytes; the empty text when it cannot be read.
  std::string Md5Of(const std::filesystem::path& file);

 private:
  struct Entry {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    std::string md5;
  };
  std::mutex mutex_;
  std::map<std::filesystem::path, Entry> entries_;
};

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes);

}  // namespace larkbay::server
