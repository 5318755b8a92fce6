#include "services/script/script_host.h"

#include <duktape.h>

#include <vector>

#include "services/script/script_text.h"

namespace larkbay {
namespace {

struct RunCall {
  const std::string* name;
  const std::vector<std::string>* arguments;
};

// Runs inside a protected call: an engine error unwinds over this frame with
// a long jump, so it holds nothing that needs destruction. Leaves the result
// text (or undefined for "no value") on the stack.
duk_ret_t CallProcedure(duk_context* ctx, void* udata) {
  const auto* call = static_cast<const RunCall*>(udata);
  duk_push_global_object(ctx);
  duk_get_prop_lstring(ctx, -1, call->name->data(), call->name->size());
  if (!duk_is_callable(ctx, -1)) return DUK_RET_TYPE_ERROR;
  const auto count = static_cast<duk_idx_t>(call->arguments->size());
  for (duk_idx_t i = 0; i < count; ++i) {
    const std::string& argument = (*call->arguments)[static_cast<size_t>(i)];
    duk_push_lstring(ctx, argument.data(), argument.size());
  }
  duk_call(ctx, count);
  if (!duk_is_null_or_undefined(ctx, -1)) duk_to_string(ctx, -1);
  return 1;
}

}  // namespace

ScriptHost::ScriptHost(ScriptLimits limits) : engine_(std::make_shared<ScriptHeap>(limits)) {
  if (engine_->Context() == nullptr) engine_.reset();
}

ScriptHost::~ScriptHost() = default;
ScriptHost::ScriptHost(const ScriptHost&) = default;
ScriptHost& ScriptHost::operator=(const ScriptHost&) = default;

bool ScriptHost::ExecuteStatement(std::string_view code) {
  if (!engine_) return false;
  duk_context* ctx = engine_->Context();
  const std::string source = Utf8ToScriptText(code);
  engine_->StartCall();
  return duk_peval_lstring_noresult(ctx, source.data(), source.size()) == 0;
}

std::string ScriptHost::RunWithArguments(std::string_view procedureName,
                                         std::span<const std::string_view> arguments) {
  if (!engine_ || arguments.size() > 6) return {};
  duk_context* ctx = engine_->Context();
  const std::string name = Utf8ToScriptText(procedureName);
  std::vector<std::string> converted;
  converted.reserve(arguments.size());
  for (std::string_view argument : arguments) converted.push_back(Utf8ToScriptText(argument));
  RunCall call{&name, &converted};

  engine_->StartCall();
  std::string result;
  if (duk_safe_call(ctx, &CallProcedure, &call, 0, 1) == DUK_EXEC_SUCCESS &&
      duk_is_string(ctx, -1)) {
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, -1, &length);
    result = ScriptTextToUtf8(std::string_view(text, length));
  }
  duk_pop(ctx);
  return result;
}

}  // namespace larkbay
