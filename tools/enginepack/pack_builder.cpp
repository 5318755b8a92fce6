#include "pack_builder.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

#include "remote/engine_pack.h"

namespace larkbay::enginepack {
namespace {

namespace fs = std::filesystem;

bool ReadWholeFile(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

la_ssize_t AppendToString(archive*, void* client, const void* buffer, std::size_t length) {
  static_cast<std::string*>(client)->append(static_cast<const char*>(buffer), length);
  return static_cast<la_ssize_t>(length);
}

std::string ErrorOf(archive* a) {
  const char* text = archive_error_string(a);
  return text != nullptr && text[0] != '\0' ? text : "unknown error";
}

// The folder's files and subfolders, relative, in a stable order.
bool ListFolder(const fs::path& dir, std::vector<fs::path>& out, std::string& error) {
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    out.push_back(fs::relative(it->path(), dir, ec));
    if (ec) break;
  }
  if (ec) {
    error = "cannot read " + dir.string() + ": " + ec.message();
    return false;
  }
  std::sort(out.begin(), out.end());
  return true;
}

bool AddEntry(archive* zip, const fs::path& dir, const fs::path& relative, std::string& error) {
  const fs::path full = dir / relative;
  std::error_code ec;
  const fs::file_status status = fs::status(full, ec);
  const bool folder = fs::is_directory(status);
  if (!folder && !fs::is_regular_file(status)) return true;  // sockets, broken links
  std::string data;
  if (!folder && !ReadWholeFile(full, data)) {
    error = "cannot read " + full.string();
    return false;
  }
  archive_entry* entry = archive_entry_new();
  archive_entry_set_pathname(entry, (relative.generic_string() + (folder ? "/" : "")).c_str());
  archive_entry_set_filetype(entry, folder ? AE_IFDIR : AE_IFREG);
  archive_entry_set_perm(entry, static_cast<int>(status.permissions() & fs::perms::mask));
  archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
  const auto written = fs::last_write_time(full, ec);
  if (!ec) {
    const auto system = std::chrono::file_clock::to_sys(written);
    archive_entry_set_mtime(
        entry, std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count(),
        0);
  }
  bool ok = archive_write_header(zip, entry) >= ARCHIVE_WARN;
  if (ok && !data.empty()) {
    ok = archive_write_data(zip, data.data(), data.size()) == static_cast<la_ssize_t>(data.size());
  }
  if (ok) ok = archive_write_finish_entry(zip) >= ARCHIVE_WARN;
  if (!ok) error = relative.generic_string() + ": " + ErrorOf(zip);
  archive_entry_free(entry);
  return ok;
}

// An AES-256 zip of the folder's contents, the folder itself being the root.
bool ZipFolder(const fs::path& dir, const std::string& password, std::string& zipBytes,
               std::string& error) {
  std::vector<fs::path> entries;
  if (!ListFolder(dir, entries, error)) return false;
  archive* zip = archive_write_new();
  bool ok = archive_write_set_format_zip(zip) == ARCHIVE_OK &&
            archive_write_set_options(zip, "zip:encryption=aes256") == ARCHIVE_OK &&
            archive_write_set_passphrase(zip, password.c_str()) == ARCHIVE_OK &&
            archive_write_set_bytes_in_last_block(zip, 1) == ARCHIVE_OK &&
            archive_write_open(zip, &zipBytes, nullptr, AppendToString, nullptr) == ARCHIVE_OK;
  if (!ok) error = "cannot start the engine archive: " + ErrorOf(zip);
  for (std::size_t i = 0; ok && i < entries.size(); ++i) ok = AddEntry(zip, dir, entries[i], error);
  if (ok && archive_write_close(zip) != ARCHIVE_OK) {
    error = "cannot finish the engine archive: " + ErrorOf(zip);
    ok = false;
  }
  archive_write_free(zip);
  return ok;
}

bool AppendPiece(std::string& pack, const std::string& piece, std::size_t length,
                 std::string_view what, std::string& error) {
  if (piece.size() > length) {
    error = std::string(what) + " is " + std::to_string(piece.size()) +
            " bytes, more than its piece of " + std::to_string(length) + " bytes";
    return false;
  }
  pack += piece;
  pack.append(length - piece.size(), '\0');
  return true;
}

}  // namespace

PackResult BuildPack(const PackInputs& inputs) {
  PackResult result;
  std::string archiver32, archiver64, engine;
  if (!ReadWholeFile(inputs.archiver32, archiver32)) {
    result.error = "cannot read the archiver " + inputs.archiver32;
    return result;
  }
  if (inputs.archiver64.empty()) {
    archiver64 = archiver32;
  } else if (!ReadWholeFile(inputs.archiver64, archiver64)) {
    result.error = "cannot read the archiver " + inputs.archiver64;
    return result;
  }
  std::error_code ec;
  if (!fs::is_directory(inputs.engineDir, ec)) {
    result.error = "not a folder: " + inputs.engineDir;
    return result;
  }
  const std::string password =
      inputs.password.empty() ? std::string(kEngineArchivePassword) : inputs.password;
  if (!ZipFolder(inputs.engineDir, password, engine, result.error)) return result;

  result.pack.reserve(kEnginePackLength);
  if (!AppendPiece(result.pack, archiver32, kArchiverPiece32Length, "the 32-bit archiver",
                   result.error) ||
      !AppendPiece(result.pack, archiver64, kArchiverPiece64Length, "the 64-bit archiver",
                   result.error) ||
      !AppendPiece(result.pack, engine, kEngineArchiveLength, "the engine archive", result.error)) {
    result.pack.clear();
    return result;
  }
  const fs::path cef = fs::path(inputs.engineDir) / kEngineCheckFile;
  result.hasCefPak = fs::is_regular_file(cef, ec) && ReadWholeFile(cef, result.cefPak);
  result.ok = true;
  return result;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
  const std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(part.c_str());
      error = "cannot write " + part;
      return false;
    }
  }
  std::error_code ec;
  fs::rename(part, path, ec);
  if (ec) {
    std::remove(part.c_str());
    error = "cannot rename " + part + " to " + path + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace larkbay::enginepack
