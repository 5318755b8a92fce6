#pragma once
// The engine's one state: event bindings, the settings it started with, its
// profile and its browsers.

#include <QPointer>
#include <QWebEngineProfile>
#include <array>
#include <vector>

#include "downloads.h"
#include "handles.h"

namespace aquarius {

struct Binding {
  AquaEventCallback callback = nullptr;
  void* user_data = nullptr;
};

class Engine {
 public:
  static Engine& Instance();

  void Bind(int event, Binding binding) { bindings_[static_cast<size_t>(event)] = binding; }
  // Raises the event to its handler; the handler's answer, false when none.
  bool Raise(int event, const AquaEventArgs& args);
  // True while a handler runs: objects that may be on the stack then are
  // deleted later instead of at once.
  bool InsideEvent() const { return event_depth_ > 0; }

  int Start();
  bool Started() const { return profile_ != nullptr; }
  QWebEngineProfile* Profile() const { return profile_; }
  bool IgnoreCertificateErrors() const { return settings_.ignore_certificate_errors; }

  Ref<AquaBrowser> CreateBrowser(QWidget* parent, const QRect& rect, const QString& url);
  Ref<AquaBrowser> FindBrowser(uintptr_t window) const;
  void StartDownload(AquaBrowser* browser, const QUrl& url);
  void CloseAllBrowsers();
  void Quit();

 private:
  void ApplyCommandLine(const QStringList& switches) const;
  void CreateProfile();
  Ref<AquaBrowser> BrowserOfPage(const QWebEnginePage* page) const;

  std::array<Binding, AQUA_EVENT_COUNT> bindings_{};
  int event_depth_ = 0;
  AquaSettings settings_;
  QPointer<QWebEngineProfile> profile_;
  std::vector<Ref<AquaBrowser>> browsers_;
  Downloads downloads_;
  bool starting_ = false;
  bool quit_ = false;
};

}  // namespace aquarius
