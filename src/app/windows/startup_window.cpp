#include "app/windows/startup_window.h"

#include <QKeyEvent>

#include "app/picture/logo_picture.h"
#include "app/widgets/picture_box.h"
#include "app/windows/ui_fonts.h"
#include "app/windows/window_builder.h"
#include "platform/control_names.h"

namespace larkbay {

StartupWindow::StartupWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  const WindowTemplate& layout = StartupWindowTemplate();
  setObjectName(QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
  setWindowTitle(QString());
  setFont(UiFont(FontKind::Window));
  setAttribute(Qt::WA_DeleteOnClose);
  BuildControls(layout, this);
  if (auto* logo = findChild<PictureBox*>(QString::fromUtf8(names::kLogo))) {
    logo->SetPicture(LogoPicture());
  }
  move(layout.rect.left, layout.rect.top);
  setFixedSize(layout.rect.width, layout.rect.height);
}

void StartupWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace larkbay
