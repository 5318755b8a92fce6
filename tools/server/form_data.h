#pragma once
// The form texts the client sends inside its envelope ("web=xy&type=Search&...")
// and the percent encoding of the configuration transport form.

#include <map>
#include <string>
#include <string_view>

namespace larkbay::server {

// "%XX" becomes the byte; "+" stays "+" (the client never encodes a space as +).
// A "%" without two hexadecimal digits is kept as it is.
std::string PercentDecode(std::string_view text);
// Every byte except A-Z a-z 0-9 - _ . ~ becomes "%XX" (upper-case digits).
std::string PercentEncode(std::string_view bytes);

using FormFields = std::map<std::string, std::string, std::less<>>;
// name=value pairs joined by "&"; values are percent-decoded; a later pair of
// the same name wins.
FormFields ParseFormData(std::string_view text);
// The value of a field, or the empty text.
std::string FormValue(const FormFields& fields, std::string_view name);

}  // namespace larkbay::server
