#include "remote/program_entry.h"

#include "platform/file_system.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay {

bool ProgramEntry(const JsonObject& config, std::string_view entry, JsonObject& out) {
  JsonObject program;
  return program.Parse(config.GetText("Program", true)) && out.Parse(program.GetText(entry, true));
}

std::string AnnouncedDigest(const JsonObject& entry, std::string_view member) {
  std::string digest = entry.GetText(member);
  for (char& c : digest)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return digest;
}

std::string FileMd5(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) bytes.clear();
  return Md5Hex(bytes, false);
}

}  // namespace larkbay
