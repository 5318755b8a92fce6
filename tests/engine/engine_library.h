#pragma once
// libaquarius.so opened at run time, as the client opens it.

#include "player/engine_library.h"

namespace larkbay::testing {
using EngineLibrary = larkbay::EngineLibrary;
}  // namespace larkbay::testing
