#pragma once
// The certificate settings of every libcurl handle of the program: the request
// engines' and the updater's download all go through this one function, so
// none can leave the checks off.

#include <curl/curl.h>

namespace larkbay {

// Verifies the peer's certificate chain and its name (also through a proxy)
// against the system's CA store, and against TrustedCaFile() as well when one
// is named. False when libcurl refused one of the settings.
bool ApplyTlsOptions(CURL* easy);

}  // namespace larkbay
