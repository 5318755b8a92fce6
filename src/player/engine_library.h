#pragma once
// libaquarius.so opened at run time: every export resolved by name. The
// library stays loaded for the rest of the process, since the engine cannot
// be unloaded.

#include <string>

#include "aquarius_abi.h"

namespace larkbay {

inline constexpr char kEngineLibraryFile[] = "libaquarius.so";

struct EngineLibrary {
#define AQUA_FUNCTION(name) decltype(&::name) name = nullptr;
#include "player/engine_functions.inc"
#undef AQUA_FUNCTION

  // False when the library or one of its exports is missing; `error` (when
  // given) then says which.
  bool Open(const std::string& path, std::string* error = nullptr);
  bool IsOpen() const { return AquaRelease != nullptr; }
};

}  // namespace larkbay
