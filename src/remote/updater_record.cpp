#include "remote/updater_record.h"

#include <array>
#include <charconv>
#include <climits>

#include "platform/file_system.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr char kSeparator = '|';
constexpr size_t kFieldCount = 5;

bool ParseProcessId(std::string_view text, ProcessId& id) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  unsigned long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  // Larger ids would reach kill(2) as a process group or "every process".
  if (value == 0 || value > static_cast<unsigned long long>(INT_MAX)) return false;
  id = static_cast<ProcessId>(value);
  return true;
}

bool FieldRoundTrips(std::string_view field) {
  return !field.empty() && field.find_first_of("|\r\n") == std::string_view::npos &&
         field.find('\0') == std::string_view::npos;
}

}  // namespace

std::string FormatUpdaterRecord(const UpdaterRecord& record) {
  std::string text = std::to_string(record.processId);
  for (const std::string* field :
       {&record.address, &record.saveFolder, &record.fileName, &record.startProgram}) {
    text += kSeparator;
    text += *field;
  }
  return text;
}

bool ParseUpdaterRecord(std::string_view text, UpdaterRecord& out) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  if (text.ends_with('\r')) text.remove_suffix(1);
  std::array<std::string_view, kFieldCount> fields;
  size_t count = 0;
  while (true) {
    const size_t bar = text.find(kSeparator);
    if (count == kFieldCount) return false;
    fields[count++] = text.substr(0, bar);
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  if (count != kFieldCount) return false;
  UpdaterRecord record;
  if (!ParseProcessId(fields[0], record.processId)) return false;
  for (size_t i = 1; i < kFieldCount; ++i) {
    if (fields[i].empty() || fields[i].find_first_of("\r\n") != std::string_view::npos) {
      return false;
    }
  }
  record.address = fields[1];
  record.saveFolder = fields[2];
  record.fileName = fields[3];
  record.startProgram = fields[4];
  out = std::move(record);
  return true;
}

bool WriteUpdaterRecord(const std::string& path, const UpdaterRecord& record) {
  if (record.processId == 0 || record.processId > static_cast<ProcessId>(INT_MAX)) return false;
  for (const std::string* field :
       {&record.address, &record.saveFolder, &record.fileName, &record.startProgram}) {
    if (!FieldRoundTrips(*field)) return false;
  }
  return WriteFileAtomically(path, TextToGbk(FormatUpdaterRecord(record)));
}

bool ReadUpdaterRecord(const std::string& path, UpdaterRecord& out) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  return ParseUpdaterRecord(GbkToText(bytes), out);
}

}  // namespace larkbay
