#pragma once
// The hostile suite's table: one row a case, written to a Markdown file in
// the build tree and printed when the run ends. And what a case is measured
// by besides: the peak resident memory of this process over it, and the
// paths under a folder before and after it.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace larkbay::hostile {

// A case may raise the peak resident memory by this much at most.
inline constexpr std::int64_t kMemoryBoundMb = 256;

struct ReportRow {
  std::string name;
  std::string document;
  std::string shown;
  std::string result;
  std::int64_t peakMb = 0;
  std::int64_t growthMb = 0;
  double seconds = 0;
};

class Report {
 public:
  Report(std::string path, std::string title) : path_(std::move(path)), title_(std::move(title)) {}
  void Add(ReportRow row) { rows_.push_back(std::move(row)); }
  void Finish() const {
    std::string text = "# " + title_ + "\n\n| # | case | document | what the client showed | result | peak RSS MB (rise) | s |\n"
                       "|---|---|---|---|---|---|---|\n";
    int n = 0;
    double total = 0;
    for (const ReportRow& r : rows_) {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
      total += r.seconds;
      text += "| " + std::to_string(++n) + " | " + Cell(r.name) + " | " + Cell(r.document) + " | " + Cell(r.shown) +
              " | " + Cell(r.result) + " | " + std::to_string(r.peakMb) + " (+" + std::to_string(r.growthMb) +
              ") | " + seconds + " |\n";
    }
    char sum[64];
    std::snprintf(sum, sizeof sum, "%.1f", total);
    text += "\n" + std::to_string(rows_.size()) + " cases, " + sum + " s.\n";
    std::ofstream(path_) << text;
    std::cout << text << "(written to " << path_ << ")\n";
  }

 private:
  // A table cell: no bar, no line break, control characters shown.
  static std::string Cell(const std::string& text) {
    std::string out;
    for (const char c : text) {
      const auto u = static_cast<unsigned char>(c);
      if (c == '|') {
        out += "\\|";
      } else if (u < 0x20 || u == 0x7F) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\x";
        out += kHex[u >> 4];
        out += kHex[u & 15];
      } else {
        out += c;
      }
    }
    return out;
  }
  std::string path_;
  std::string title_;
  std::vector<ReportRow> rows_;
};

// Peak resident memory of this process from its construction on: the
// kernel's high-water mark is reset first (clear_refs 5).
class PeakMeter {
 public:
  PeakMeter() {
    std::ofstream("/proc/self/clear_refs") << "5";
    startKb_ = Field("VmRSS:");
  }
  std::int64_t PeakMb() const { return Field("VmHWM:") / 1024; }
  std::int64_t GrowthMb() const { return (Field("VmHWM:") - startKb_) / 1024; }
  static std::int64_t Field(const std::string& name, const std::string& file = "/proc/self/status") {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
      if (line.rfind(name, 0) == 0) return std::stoll(line.substr(name.size()));
    return 0;
  }

 private:
  std::int64_t startKb_ = 0;
};

// Every path under `root`, to tell what a case wrote where.
inline std::set<std::filesystem::path> Snapshot(const std::filesystem::path& root) {
  std::set<std::filesystem::path> paths;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error))
    paths.insert(it->path());
  return paths;
}

}  // namespace larkbay::hostile
