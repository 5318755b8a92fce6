#include "fault_set.h"

#include <array>
#include <utility>

namespace larkbay::server {
namespace {

constexpr std::array<std::pair<std::string_view, Fault>, 7> kFaults{{
    {"slow", Fault::kSlow},
    {"drop", Fault::kDrop},
    {"truncate", Fault::kTruncate},
    {"badsum", Fault::kBadSum},
    {"http500", Fault::kHttp500},
    {"nolength", Fault::kNoLength},
    {"emptysearch", Fault::kEmptySearch},
}};

}  // namespace

bool FaultSet::Add(std::string_view list, std::string& badName) {
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (!name.empty()) {
      bool known = false;
      for (const auto& [faultName, fault] : kFaults) {
        if (faultName == name) {
          bits_ |= static_cast<unsigned>(fault);
          known = true;
        }
      }
      if (!known) {
        badName = std::string(name);
        return false;
      }
    }
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

std::string FaultSet::Names() const {
  std::string names;
  for (const auto& [faultName, fault] : kFaults) {
    if (!Has(fault)) continue;
    if (!names.empty()) names += ',';
    names += faultName;
  }
  return names.empty() ? "none" : names;
}

std::string_view FaultNames() { return "slow|drop|truncate|badsum|http500|nolength|emptysearch"; }

}  // namespace larkbay::server
