#include "app/windows/site_window.h"

#include <QKeyEvent>

#include "app/windows/ui_fonts.h"
#include "app/windows/window_builder.h"

namespace larkbay {

SiteWindow::SiteWindow(QWidget* parent) : QDialog(parent) {
  const WindowTemplate& layout = SiteWindowTemplate();
  setObjectName(QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
  setWindowTitle(QString::fromUtf8(layout.title.data(), static_cast<qsizetype>(layout.title.size())));
  setFont(UiFont(FontKind::Window));
  setAttribute(Qt::WA_DeleteOnClose);
  BuildControls(layout, this);
  move(layout.rect.left, layout.rect.top);
  setFixedSize(layout.rect.width, layout.rect.height);
}

void SiteWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace larkbay
