#pragma once
// The player page: one of two HTML templates with the play list put in.
// Page text is UTF-8; the page host receives its GB18030 bytes.

#include <string>
#include <string_view>

namespace larkbay {

// Every template holds it exactly once; the play list replaces it.
inline constexpr std::string_view kPlayListPlaceholder = "#PlayPahtList#";

// The SoundManager 2 bar-ui page for the embedded browser, and the html5media
// page for the legacy view. `assetRoot` ends with "/" and is put in as written.
std::string SoundManagerPage(std::string_view assetRoot);
std::string Html5MediaPage(std::string_view assetRoot);

// The SoundManager page when `playerEngine` is exactly "cef", the html5media
// page otherwise, with every placeholder replaced by `playList`.
std::string BuildPlayerPage(std::string_view playerEngine, std::string_view playList,
                            std::string_view assetRoot);

// One play-list item, ending in CR LF. The texts and the address are escaped
// for HTML; an address that is not http(s) becomes empty.
std::string PlaylistEntry(std::string_view url, std::string_view bold, std::string_view plain);
// The play list of the "ie" engine: the address alone, made safe the same way.
std::string BarePlayList(std::string_view url);

// The bytes handed to the page host or written to the page file (GB18030), and
// their lower-case MD5.
std::string PageBytes(std::string_view page);
std::string PageDigest(std::string_view page);

}  // namespace larkbay
