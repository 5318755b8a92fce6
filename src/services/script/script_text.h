#pragma once
// Texts crossing into and out of the script engine. The engine keeps strings
// as UTF-16 code units written in UTF-8 form (CESU-8): a character beyond the
// Basic Multilingual Plane is a pair of surrogates, as a script expects
// ("😀".length is 2 and equals "\ud83d\ude00").

#include <string>
#include <string_view>

namespace larkbay {

// UTF-8 to the engine's form; invalid sequences become U+FFFD.
std::string Utf8ToScriptText(std::string_view utf8);
// The engine's form to UTF-8: surrogate pairs become one character, lone
// surrogates and invalid sequences become U+FFFD.
std::string ScriptTextToUtf8(std::string_view engineText);

}  // namespace larkbay
