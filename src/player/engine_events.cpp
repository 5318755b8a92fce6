#include "player/engine_events.h"

namespace larkbay {

void OnEngineSettings(const EngineLibrary& engine, AquaSettings* settings,
                      const std::string& dataDir) {
  const std::string profile = dataDir + kEngineUserDataFolder;
  engine.AquaInitCachePathA(settings, profile.c_str());
  engine.AquaInitUserDataA(settings, profile.c_str());
  engine.AquaInitWindowlessRenderingEnabled(settings, false);
  engine.AquaInitPersistSessionCookies(settings, true);
  engine.AquaInitPersistUserPreferences(settings, true);
  engine.AquaInitLocaleA(settings, "zh-CN");
  engine.AquaInitRemoteDebuggingPort(settings, 0);
  engine.AquaInitIgnoreCertificateErrors(settings, false);
}

void OnEngineCommandLine(const EngineLibrary& engine, AquaCommandLine* commandLine) {
  engine.AquaCommandLineAppendSwitchWithValueA(commandLine, "ppapi-flash-version", "");
  engine.AquaCommandLineAppendSwitchWithValueA(commandLine, "ppapi-flash-path", "");
  engine.AquaCommandLineAppendSwitchWithValueA(commandLine, "autoplay-policy",
                                               "no-user-gesture-required");
}

void OnEngineReady(const EngineLibrary& engine, const BrowserParent& parent) {
  AquaWindowInfo* window = engine.AquaWindowCreate();
  engine.AquaWindowSetAsChild(window, parent.window, 0, 0, parent.width, parent.height);
  AquaBrowserSettings* settings = engine.AquaTypeBsCreate();
  engine.AquaBrowserHostCreateBrowserA(window, "about:blank", settings);
  engine.AquaRelease(settings);
  engine.AquaRelease(window);
}

std::uintptr_t OnBrowserCreated(const EngineLibrary& engine, AquaBrowser* browser) {
  AquaBrowserHost* host = engine.AquaBrowserGetHost(browser);
  if (!host) return 0;
  const std::uintptr_t window = engine.AquaBrowserHostGetWindowHandle(host);
  engine.AquaRelease(host);
  return window;
}

bool OnContextMenu() { return true; }

}  // namespace larkbay
