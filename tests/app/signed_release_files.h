#pragma once
// Release files a test offers (served from its downloads folder or put on the
// desktop) signed by the demo release key, which test builds trust: the
// signature goes beside each file as <file>.sig, as the server and the
// updater keep it.

#include <QString>

namespace larkbay::testing {

// Writes `file`.sig; false (with a warning) when the key or the file is missing.
bool SignBeside(const QString& file);

// Signs every file directly in `folder` that is not itself a signature.
bool SignFolder(const QString& folder);

}  // namespace larkbay::testing
