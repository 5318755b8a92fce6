#pragma once
// Chromium's sandbox cannot start for root, and the browser does not run
// without it unless it is switched off. Only the user switches it off, with
// QTWEBENGINE_DISABLE_SANDBOX=1: nothing in the engine or its host does, as
// every helper process of the browser would inherit the switch.

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace aquarius {

inline constexpr char kDisableSandboxVariable[] = "QTWEBENGINE_DISABLE_SANDBOX";

// False for root unless QTWEBENGINE_DISABLE_SANDBOX is exactly "1": the
// browser cannot start then, and is not to be tried.
inline bool BrowserMayStart() {
  if (::geteuid() != 0) return true;
  const char* value = std::getenv(kDisableSandboxVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace aquarius
