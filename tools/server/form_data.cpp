#include "form_data.h"

#include "services/text/text_helpers.h"

namespace larkbay::server {
FormFields ParseFormData(std::string_view text) {
  FormFields fields;
  while (!text.empty()) {
    const size_t amp = text.find('&');
    const std::string_view pair = text.substr(0, amp);
    if (!pair.empty()) {
      const size_t eq = pair.find('=');
      const std::string_view name = pair.substr(0, eq);
      const std::string_view value =
          eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
      fields[PercentDecode(name)] = PercentDecode(value);
    }
    if (amp == std::string_view::npos) break;
    text.remove_prefix(amp + 1);
  }
  return fields;
}

std::string FormValue(const FormFields& fields, std::string_view name) {
  const auto it = fields.find(name);
  return it == fields.end() ? std::string() : it->second;
}

}  // namespace larkbay::server
