#pragma once
// libaquarius.so opened at run time, as the client opens it: every export
// resolved by name.

#include <dlfcn.h>

#include "aquarius_abi.h"

namespace larkbay::testing {

struct EngineLibrary {
#define AQUA_FUNCTION(name) decltype(&::name) name = nullptr;
#include "engine_functions.inc"
#undef AQUA_FUNCTION

  // False when the library or one of its exports is missing. The library
  // stays loaded: the engine cannot be unloaded.
  bool Open(const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    bool all = true;
#define AQUA_FUNCTION(name)                                          \
  name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
  all = all && name != nullptr;
#include "engine_functions.inc"
#undef AQUA_FUNCTION
    return all;
  }
};

}  // namespace larkbay::testing
