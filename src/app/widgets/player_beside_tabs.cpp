#include "app/widgets/player_beside_tabs.h"

#include <QEvent>
#include <QPointer>
#include <QTabBar>
#include <algorithm>

#include "app/widgets/html_view.h"
#include "app/widgets/tab_control.h"

namespace larkbay {
namespace {

class PlayerBesideTabs : public QObject {
 public:
  PlayerBesideTabs(HtmlView* view, TabControl* tabs) : QObject(view), view_(view), tabs_(tabs) {
    view->installEventFilter(this);
    tabs->installEventFilter(this);
    tabs->TabBar()->installEventFilter(this);
    Fit();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::Hide:
        Fit();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Fit() {
    if (!tabs_ || !view_ || tabs_->parentWidget() != view_->parentWidget()) return;
    const QRect view = view_->geometry();
    const QRect tabs = tabs_->geometry();
    if (tabs_->isHidden() || !view.intersects(tabs)) {
      Place({}, false);
      return;
    }
    // The rows of the view above the tab control, and the free part of the
    // tab row where the tab control covers the view.
    const QRect above(view.left(), view.top(), view.width(),
                      std::clamp(tabs.top() - view.top(), 0, view.height()));
    const QRect row = tabs_->TabRowSpace().translated(tabs.topLeft()) & view;
    if (above.height() >= row.height()) {
      Place(above.translated(-view.topLeft()), false);
    } else {
      Place(row.translated(-view.topLeft()), true);
    }
  }

  void Place(const QRect& area, bool overTabs) {
    view_->SetPlayerArea(area);
    // The view is the window's first control, under every other one, except
    // while it shares the tab row.
    if (overTabs) {
      view_->raise();
    } else {
      view_->lower();
    }
  }

  QPointer<HtmlView> view_;
  QPointer<TabControl> tabs_;
};

}  // namespace

void KeepPlayerBesideTabs(HtmlView* view, TabControl* tabs) {
  if (view && tabs) new PlayerBesideTabs(view, tabs);
}

}  // namespace larkbay
