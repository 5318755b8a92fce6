#pragma once
// Extracts every entry of an archive into a folder, refusing entries that
// would land outside it.

#include <string>
#include <vector>

namespace larkbay::archiver {

struct ExtractOptions {
  std::string archive;
  std::string destination;  // created when missing
  std::string password;     // used when hasPassword
  bool hasPassword = false;
  bool overwrite = true;  // false keeps files that already exist
};

// One text per problem ("<entry>: <why>" or "<why>"); empty when everything
// was extracted. A regular file whose data could not be read completely is
// removed again.
std::vector<std::string> ExtractAll(const ExtractOptions& options);

}  // namespace larkbay::archiver
