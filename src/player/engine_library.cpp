#include "player/engine_library.h"

#include <dlfcn.h>

namespace larkbay {

bool EngineLibrary::Open(const std::string& path, std::string* error) {
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    if (error) *error = ::dlerror();
    return false;
  }
  EngineLibrary resolved;
  std::string missing;
#define AQUA_FUNCTION(name)                                                            \
  resolved.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));       \
  if (!resolved.name && missing.empty()) missing = #name;
#include "player/engine_functions.inc"
#undef AQUA_FUNCTION
  if (!missing.empty()) {
    // Half a library is no engine; it stays mapped all the same, as a loaded
    // engine would.
    if (error) *error = path + ": no export " + missing;
    return false;
  }
  *this = resolved;
  return true;
}

}  // namespace larkbay
