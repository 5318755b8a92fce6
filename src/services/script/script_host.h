#pragma once
// Runs a piece of JavaScript supplied by the caller and calls one of its
// functions by name with text arguments (Duktape, ECMAScript 5.1 with some
// later additions; no host objects, no input or output).
//
// One thread at a time uses an engine (and the copies that share it).
//
// Every call into the engine has a time budget (a script that never returns
// is interrupted) and the engine's memory is capped (a script that allocates
// without end fails). Texts cross as UTF-8.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "services/script/script_heap.h"

namespace larkbay {

class ScriptHost {
 public:
  explicit ScriptHost(ScriptLimits limits = {});
  ~ScriptHost();
  // Copies share the engine, as two references to one engine would.
  ScriptHost(const ScriptHost&);
  ScriptHost& operator=(const ScriptHost&);

  // Runs `code` as global code (its function declarations become global
  // functions). True when it compiled and ran without an error.
  bool ExecuteStatement(std::string_view code);

  // Calls the global function `procedureName` with the given texts (none to
  // six; only the given ones are passed) and gives its return value as text,
  // as String(value) would, except that undefined and null give the empty
  // text. Any error (no such function, a throw, the budget) gives the empty
  // text.
  template <typename... Texts>
  requires(sizeof...(Texts) <= 6 &&
           (std::is_convertible_v<const Texts&, std::string_view> && ...)) std::string
      Run(std::string_view procedureName, const Texts&... arguments) {
    const std::string_view list[] = {std::string_view(arguments)..., std::string_view()};
    return RunWithArguments(procedureName, std::span(list, sizeof...(Texts)));
  }

  std::string RunWithArguments(std::string_view procedureName,
                               std::span<const std::string_view> arguments);

 private:
  std::shared_ptr<ScriptHeap> engine_;
};

}  // namespace larkbay
