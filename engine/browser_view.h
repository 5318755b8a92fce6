#pragma once
// The browser's window: a web view that fills its parent, asks the host
// before it shows a context menu and reports finished loads.

#include <QWebEngineView>

#include "handles.h"

namespace aquarius {

class BrowserView : public QWebEngineView {
 public:
  BrowserView(QWidget* parent, const QRect& rect, QWebEngineProfile* profile, AquaBrowser* browser);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillParent();
  void OnLoadingChanged(const class QWebEngineLoadingInfo& info);

  Ref<AquaBrowser> browser_;
};

}  // namespace aquarius
