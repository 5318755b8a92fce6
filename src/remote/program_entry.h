#pragma once
// What the update and engine steps read of the configuration's Program
// section, and the digests they compare with it.

#include <string>
#include <string_view>

namespace larkbay {

class JsonObject;

// Program.<entry> of the configuration as its own document; false when
// either is missing.
bool ProgramEntry(const JsonObject& config, std::string_view entry, JsonObject& out);

// An announced digest, lower-cased for comparing with Md5Hex.
std::string AnnouncedDigest(const JsonObject& entry, std::string_view member);

// Lower-case MD5 of a file's bytes; a missing file reads as no bytes.
std::string FileMd5(const std::string& path);

}  // namespace larkbay
