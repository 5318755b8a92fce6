// The settings record and the command line the host fills during events 0
// and 1, and the start of the engine.

#include "aquarius_abi.h"
#include "engine.h"
#include "text.h"

using aquarius::FromUtf8;

extern "C" {

AQUA_API void AquaAddRef(void* object) {
  if (object) static_cast<aquarius::Object*>(object)->AddRef();
}

AQUA_API void AquaRelease(void* object) {
  if (object) static_cast<aquarius::Object*>(object)->Release();
}

AQUA_API bool AquaBind(int event, AquaEventCallback callback, void* user_data) {
  if (event < 0 || event >= AQUA_EVENT_COUNT) return false;
  aquarius::Engine::Instance().Bind(event, {callback, user_data});
  return true;
}

AQUA_API void AquaInitCachePathA(AquaSettings* settings, const char* path) {
  if (settings) settings->cache_path = FromUtf8(path);
}

AQUA_API void AquaInitUserDataA(AquaSettings* settings, const char* path) {
  if (settings) settings->user_data_path = FromUtf8(path);
}

AQUA_API void AquaInitPersistSessionCookies(AquaSettings* settings, bool value) {
  if (settings) settings->persist_session_cookies = value;
}

AQUA_API void AquaInitPersistUserPreferences(AquaSettings* settings, bool value) {
  if (settings) settings->persist_user_preferences = value;
}

AQUA_API void AquaInitLocaleA(AquaSettings* settings, const char* locale) {
  if (settings) settings->locale = FromUtf8(locale);
}

AQUA_API void AquaInitWindowlessRenderingEnabled(AquaSettings* settings, bool value) {
  if (settings) settings->windowless_rendering_enabled = value;
}

AQUA_API void AquaInitRemoteDebuggingPort(AquaSettings* settings, int port) {
  if (settings) settings->remote_debugging_port = port;
}

AQUA_API void AquaInitIgnoreCertificateErrors(AquaSettings* settings, bool value) {
  if (settings) settings->ignore_certificate_errors = value;
}

AQUA_API void AquaInitUserAgentA(AquaSettings* settings, const char* user_agent) {
  if (settings) settings->user_agent = FromUtf8(user_agent);
}

AQUA_API void AquaInitProductVersionA(AquaSettings* settings, const char* version) {
  if (settings) settings->product_version = FromUtf8(version);
}

AQUA_API void AquaInitAcceptLanguageListA(AquaSettings* settings, const char* languages) {
  if (settings) settings->accept_language_list = FromUtf8(languages);
}

AQUA_API bool AquaCommandLineAppendSwitchWithValueA(AquaCommandLine* command_line, const char* name,
                                                    const char* value) {
  if (!command_line) return false;
  const QString switch_name = FromUtf8(name);
  const QString switch_value = FromUtf8(value);
  // The engine splits its switches at spaces: such a text would become
  // several switches.
  const auto has_space = [](const QString& text) {
    for (const QChar c : text)
      if (c.isSpace()) return true;
    return false;
  };
  if (switch_name.isEmpty() || switch_name.contains(u'=') || has_space(switch_name) ||
      has_space(switch_value))
    return false;
  command_line->switches.append(QStringLiteral("--%1=%2").arg(switch_name, switch_value));
  return true;
}

AQUA_API int AquaDoWinMain(void) { return aquarius::Engine::Instance().Start(); }

AQUA_API void AquaManagerCloseAllBrowser(void) { aquarius::Engine::Instance().CloseAllBrowsers(); }

AQUA_API void AquaQuitProcess(void) { aquarius::Engine::Instance().Quit(); }

}  // extern "C"
