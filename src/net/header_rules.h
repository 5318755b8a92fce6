#pragma once
// Header-block and cookie rules shared by both request engines. Header blocks
// are lines joined by CR LF; cookie lists are name=value items joined by "; ".

#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

// Drops every line without ":" and raises the first letter of each
// hyphen-separated part of each name (x-TOKEN -> X-TOKEN, user-agent ->
// User-Agent); values are kept as they are. No CR LF after the last line.
std::string NormaliseHeaderNames(std::string_view headers);

// The returned cookies `returned` completed by the sent ones `sent` whose names
// it lacks; items ending in "=deleted" are dropped, duplicates kept once.
std::string MergeCookies(std::string_view sent, std::string_view returned);

// The name=value pairs of the Set-Cookie lines of a response header block,
// without their attributes, joined by "; ".
std::string CollectSetCookies(std::string_view responseHeaders);

// The block split at CR LF (a last empty piece after a final CR LF is not a
// line).
std::vector<std::string_view> SplitHeaderLines(std::string_view block);

// Case-insensitive search, as the engines' probes need.
bool ContainsNoCase(std::string_view text, std::string_view probe);

std::string_view TrimSpaces(std::string_view text);

}  // namespace larkbay
