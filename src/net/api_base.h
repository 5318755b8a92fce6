#pragma once
// Where the API server lives.

#include <string>

namespace larkbay {

// The base URL of the API server, without a trailing "/": the environment
// variable LARKBAY_API_BASE when it is set and not empty, otherwise the
// build's default.
std::string ApiBaseUrl();

}  // namespace larkbay
