#include "file_routes.h"

#include <fcntl.h>
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <map>
#include <memory>

namespace larkbay::server {
namespace {

constexpr size_t kChunk = 64 * 1024;

// One open file per answer; the content provider may outlive the handler.
class OpenFile {
 public:
  explicit OpenFile(const std::filesystem::path& file)
      : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  bool Ok() const { return fd_ >= 0; }
  // Bytes read at `offset`, at most `length`; 0 at the end or on an error.
  size_t ReadAt(char* buffer, size_t length, size_t offset) const {
    const ssize_t n = ::pread(fd_, buffer, length, static_cast<off_t>(offset));
    return n > 0 ? static_cast<size_t>(n) : 0;
  }

 private:
  int fd_;
};

}  // namespace

bool FileUnder(const std::filesystem::path& root, std::string_view relative,
               std::filesystem::path& file) {
  if (relative.empty() || relative.front() == '/') return false;
  if (relative.find('\\') != std::string_view::npos ||
      relative.find('\0') != std::string_view::npos) {
    return false;
  }
  std::string_view rest = relative;
  while (true) {
    const size_t slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment.empty() || segment == "." || segment == "..") return false;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  std::error_code ec;
  const std::filesystem::path candidate = root / std::filesystem::path(std::string(relative));
  if (!std::filesystem::is_regular_file(candidate, ec)) return false;
  file = candidate;
  return true;
}

std::string ContentTypeOf(const std::filesystem::path& file) {
  static const std::map<std::string, std::string> kTypes{
      {".mp3", "audio/mpeg"},
      {".flac", "audio/flac"},
      {".webm", "video/webm"},
      {".mp4", "video/mp4"},
      {".js", "application/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".html", "text/html; charset=utf-8"},
      {".svg", "image/svg+xml"},
      {".png", "image/png"},
      {".json", "application/json"},
      {".txt", "text/plain; charset=utf-8"},
  };
  const auto it = kTypes.find(file.extension().string());
  return it == kTypes.end() ? "application/octet-stream" : it->second;
}

void ServeFile(const httplib::Request& /*request*/, httplib::Response& response,
               const std::filesystem::path& file, const FaultSet& faults, std::int64_t rate) {
  auto open = std::make_shared<OpenFile>(file);
  std::error_code ec;
  const auto size = static_cast<size_t>(std::filesystem::file_size(file, ec));
  if (!open->Ok() || ec) {
    response.status = 404;
    response.set_content("Not Found", "text/plain");
    return;
  }
  const std::string type = ContentTypeOf(file);
  if (faults.Has(Fault::kDrop)) {
    response.set_content_provider(std::max<size_t>(size, 1), type,
                                  [](size_t, size_t, httplib::DataSink&) { return false; });
    return;
  }
  if (faults.Has(Fault::kNoLength)) {
    response.set_chunked_content_provider(type, [open](size_t offset, httplib::DataSink& sink) {
      char buffer[kChunk];
      const size_t n = open->ReadAt(buffer, sizeof buffer, offset);
      if (n == 0) {
        sink.done();
        return true;
      }
      return sink.write(buffer, n);
    });
    return;
  }
  if (size == 0) {
    response.set_content(std::string(), type);
    return;
  }
  // With the truncate fault the full length is announced and half is sent.
  const size_t limit = faults.Has(Fault::kTruncate) ? size / 2 : size;
  // A held answer goes out in small pieces, each when its time has come.
  const size_t piece = rate > 0 ? std::min<size_t>(kChunk, std::max<std::int64_t>(rate / 20, 1024))
                                : kChunk;
  auto started = std::make_shared<std::optional<std::chrono::steady_clock::time_point>>();
  auto sent = std::make_shared<size_t>(0);
  response.set_content_provider(
      size, type,
      [open, limit, rate, piece, started, sent](size_t offset, size_t length,
                                                httplib::DataSink& sink) {
        if (offset >= limit) return false;
        if (rate > 0) {
          if (!*started) *started = std::chrono::steady_clock::now();
          std::this_thread::sleep_until(**started + std::chrono::microseconds(
                                                        static_cast<std::int64_t>(*sent) *
                                                        1000000 / rate));
        }
        char buffer[kChunk];
        const size_t want = std::min({length, piece, limit - offset});
        const size_t n = open->ReadAt(buffer, want, offset);
        if (n == 0) return false;
        *sent += n;
        return sink.write(buffer, n);
      });
}

}  // namespace larkbay::server
