#pragma once
// The legacy HTML view's player page file: written for the view to load,
// dropped once the view has the document.

#include <string>
#include <string_view>

namespace larkbay {

// Below the data folder (which ends with "/").
inline constexpr std::string_view kPlayerPageFile = "data/Lark-Bay_Music.html";

std::string PlayerPagePath(const std::string& dataDir);

// The player view has loaded its document: the page file has done its job. A
// file that is already gone is no error.
void OnPlayerViewDocumentComplete(const std::string& dataDir);

}  // namespace larkbay
