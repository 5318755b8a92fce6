#include "extract.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "entry_path.h"

namespace larkbay::archiver {
namespace {

std::string ErrorOf(archive* a) {
  const char* text = archive_error_string(a);
  return text != nullptr && text[0] != '\0' ? text : "unknown error";
}

// mkdir -p; an existing folder is fine.
bool MakeFolders(const std::string& path, std::string& why) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string prefix = path.substr(0, i);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
      why = "cannot create " + prefix + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    why = "destination is not a folder: " + path;
    return false;
  }
  return true;
}

bool ExistsAsNonFolder(const char* path) {
  struct stat st {};
  return lstat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

// Everything relative to the current folder, which is the destination.
class Extraction {
 public:
  Extraction(archive* in, archive* out, std::string archiveName, bool overwrite)
      : in_(in), out_(out), archiveName_(std::move(archiveName)), overwrite_(overwrite) {}

  void Run() {
    int headerFailures = 0;
    for (;;) {
      archive_entry* entry = nullptr;
      const int r = archive_read_next_header(in_, &entry);
      if (r == ARCHIVE_EOF) break;
      if (r < ARCHIVE_WARN) {
        problems_.push_back(archiveName_ + ": " + ErrorOf(in_));
        // A damaged archive may fail header after header; stop at some point.
        if (r == ARCHIVE_FATAL || ++headerFailures > 100) break;
        continue;
      }
      if (!Entry(entry)) break;
    }
    if (archive_write_close(out_) < ARCHIVE_WARN) problems_.push_back(ErrorOf(out_));
  }

  std::vector<std::string>& Problems() { return problems_; }

 private:
  // False when the archive cannot be read any further.
  bool Entry(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    if (name == nullptr) {
      problems_.push_back("entry with an unreadable name refused");
      return true;
    }
    const char* hardlink = archive_entry_hardlink(entry);
    const char* symlink = archive_entry_symlink(entry);
    const auto given = [](const char* text) {
      return text != nullptr ? std::optional<std::string_view>(text) : std::nullopt;
    };
    const std::string why = CheckEntry(name, given(hardlink), given(symlink));
    if (!why.empty()) {
      problems_.push_back(std::string(name) + ": " + why);
      return true;  // the next header skips its data
    }
    if (!overwrite_ && ExistsAsNonFolder(name)) return true;

    if (archive_write_header(out_, entry) < ARCHIVE_WARN) {
      problems_.push_back(std::string(name) + ": " + ErrorOf(out_));
      return true;
    }
    const bool regular = archive_entry_filetype(entry) == AE_IFREG && hardlink == nullptr;
    bool readable = true;
    const std::string failure = CopyData(readable);
    if (!failure.empty()) {
      archive_write_finish_entry(out_);
      if (regular) unlink(name);  // no half-written file
      problems_.push_back(std::string(name) + ": " + failure);
      return readable;
    }
    if (archive_write_finish_entry(out_) < ARCHIVE_WARN) {
      problems_.push_back(std::string(name) + ": " + ErrorOf(out_));
    }
    return true;
  }

  // Empty on success; `readable` false when the archive is broken for good.
  std::string CopyData(bool& readable) {
    for (;;) {
      const void* buffer = nullptr;
      std::size_t size = 0;
      la_int64_t offset = 0;
      const int r = archive_read_data_block(in_, &buffer, &size, &offset);
      if (r == ARCHIVE_EOF) return {};
      if (r < ARCHIVE_WARN) {
        readable = r != ARCHIVE_FATAL;
        return ErrorOf(in_);
      }
      if (archive_write_data_block(out_, buffer, size, offset) < ARCHIVE_WARN) {
        return ErrorOf(out_);
      }
    }
  }

  archive* in_;
  archive* out_;
  std::string archiveName_;
  bool overwrite_;
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> ExtractAll(const ExtractOptions& options) {
  std::vector<std::string> problems;
  std::string why;
  if (!MakeFolders(options.destination, why)) return {why};

  archive* in = archive_read_new();
  // Zip is read as a stream, entry by entry: the archive may be followed by
  // zero padding, which hides the central directory from a reader that looks
  // for it at the file's end.
  archive_read_support_format_zip_streamable(in);
  archive_read_support_format_7zip(in);
  archive_read_support_format_rar(in);
  archive_read_support_format_rar5(in);
  archive_read_support_format_tar(in);
  archive_read_support_format_cpio(in);
  archive_read_support_filter_all(in);
  if (options.hasPassword) archive_read_add_passphrase(in, options.password.c_str());
  if (archive_read_open_filename(in, options.archive.c_str(), 1 << 16) != ARCHIVE_OK) {
    problems.push_back(options.archive + ": " + ErrorOf(in));
    archive_read_free(in);
    return problems;
  }

  const int home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (chdir(options.destination.c_str()) != 0) {
    problems.push_back("cannot enter " + options.destination + ": " + std::strerror(errno));
  } else {
    archive* out = archive_write_disk_new();
    int flags = ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS;
    if (!options.overwrite) flags |= ARCHIVE_EXTRACT_NO_OVERWRITE;
    archive_write_disk_set_options(out, flags);
    Extraction extraction(in, out, options.archive, options.overwrite);
    extraction.Run();
    problems = std::move(extraction.Problems());
    archive_write_free(out);
  }
  if (home >= 0) {
    if (fchdir(home) != 0) problems.push_back("cannot return to the start folder");
    close(home);
  }
  archive_read_free(in);
  return problems;
}

}  // namespace larkbay::archiver
