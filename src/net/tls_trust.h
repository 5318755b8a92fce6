#pragma once
// Which certificate authorities the program trusts. Every certificate is
// checked against the system's CA store; a server with a private CA is reached
// by naming that CA's PEM file, never by switching the checks off.

#include <string>

namespace larkbay {

// The environment variable that names an extra CA file; it wins over the
// program's setting.
inline constexpr const char* kCaFileVariable = "LARKBAY_CA_FILE";
// The Config.ini key the program reads the same at its start.
inline constexpr const char* kCaFileKey = "CaFile";

// The CA file the program's settings name ("" for none). Set once at start,
// before the first exchange, by whoever read the settings; any thread may
// read it.
void SetConfiguredCaFile(std::string path);

// The extra CA file every exchange trusts: LARKBAY_CA_FILE when set and not
// empty, otherwise the configured one; "" when neither names one.
std::string TrustedCaFile();

}  // namespace larkbay
