#pragma once
// The form texts the client sends inside its envelope ("web=xy&type=Search&...")
// (values percent-encoded by the text helpers' rules).

#include <map>
#include <string>
#include <string_view>

namespace larkbay::server {

using FormFields = std::map<std::string, std::string, std::less<>>;
// name=value pairs joined by "&"; values are percent-decoded; a later pair of
// the same name wins.
FormFields ParseFormData(std::string_view text);
// The value of a field, or the empty text.
std::string FormValue(const FormFields& fields, std::string_view name);

}  // namespace larkbay::server
