#pragma once
// Faults a run of the server can be asked to show, for the client's error paths.
// Chosen per run on the command line: --fault slow,drop,...

#include <string>
#include <string_view>

namespace larkbay::server {

enum class Fault : unsigned {
  kSlow = 1u << 0,         // every gateway answer and file waits before it is sent
  kDrop = 1u << 1,         // the connection closes after the header block, before any body byte
  kTruncate = 1u << 2,     // documents are cut in half before sealing; files stop half-way
  kBadSum = 1u << 3,       // the configuration announces digests that match no served file
  kHttp500 = 1u << 4,      // the gateway answers 500 with an error page
  kNoLength = 1u << 5,     // files come chunked, without Content-Length
  kEmptySearch = 1u << 6,  // every song and DJ search finds nothing
};

class FaultSet {
 public:
  // Adds the comma-separated fault names of `list`; false (and `badName` set)
  // on a name it does not know.
  bool Add(std::string_view list, std::string& badName);
  bool Has(Fault fault) const { return (bits_ & static_cast<unsigned>(fault)) != 0; }
  bool Empty() const { return bits_ == 0; }
  std::string Names() const;  // "slow,drop" in the order of the enum; "none" when empty

 private:
  unsigned bits_ = 0;
};

// "slow|drop|truncate|badsum|http500|nolength|emptysearch", for usage texts.
std::string_view FaultNames();

}  // namespace larkbay::server
