#pragma once
// The chooser of DJ search sites: an HTML view of the site table, titled
// "选择站点". A new one is made each time it opens; it goes when closed.

#include <QDialog>

namespace larkbay {

class SiteWindow : public QDialog {
  Q_OBJECT
 public:
  explicit SiteWindow(QWidget* parent = nullptr);

 protected:
  // Escape closes the window the way its close box does.
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace larkbay
