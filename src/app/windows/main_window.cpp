#include "app/windows/main_window.h"

#include <QMenu>
#include <QMenuBar>

#include "app/picture/logo_picture.h"
#include "app/widgets/html_view.h"
#include "app/widgets/player_beside_tabs.h"
#include "app/widgets/tab_control.h"
#include "app/windows/list_view_setup.h"
#include "app/windows/ui_fonts.h"
#include "app/windows/window_builder.h"
#include "platform/control_names.h"
#include "services/menu/menu_command.h"
#include "services/menu/popup_menu.h"

#include <QTreeWidget>

namespace larkbay {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  const WindowTemplate& layout = MainWindowTemplate();
  setObjectName(QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
  setWindowTitle(QString::fromUtf8(layout.title.data(), static_cast<qsizetype>(layout.title.size())));
  setFont(UiFont(FontKind::Window));
  const QImage logo = LogoPicture();
  if (!logo.isNull()) setWindowIcon(QIcon(QPixmap::fromImage(logo)));

  // The title bar's system menu is out of reach here, so the window offers it
  // in its menu bar.
  systemMenu_ = menuBar()->addMenu(QStringLiteral("设置"));
  systemMenu_->setObjectName(QString::fromLatin1(kSystemMenuName));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("MainWindow_client"));
  setCentralWidget(client);
  BuildControls(layout, client);
  KeepPlayerBesideTabs(client->findChild<HtmlView*>(QString::fromUtf8(names::kPlayerView)),
                       client->findChild<TabControl*>(QString::fromUtf8(names::kTabControl)));
  auto* downloads = client->findChild<QTreeWidget*>(QString::fromUtf8(names::kDownloadList));
  for (const ColumnTemplate& column : DownloadListColumns()) {
    AddListColumn(downloads,
                  QString::fromUtf8(column.title.data(), static_cast<qsizetype>(column.title.size())),
                  column.width, column.align);
  }

  move(layout.rect.left, layout.rect.top);
  setFixedSize(layout.rect.width, layout.rect.height);
  // Shown by the start-up once it is done, never at load.
  setProperty("larkbayStartHidden", true);

  windowProc_ = [](unsigned, std::uintptr_t) {};  // the window's own handling: none
  InstallMenuCommandSink(this, [this](MenuCommandKind kind, int commandId) {
    SendMessage(kind == MenuCommandKind::SysCommand ? kWmSysCommand : kWmCommand,
                static_cast<std::uintptr_t>(commandId));
  });
}

WindowProc MainWindow::SetWindowProc(WindowProc proc) {
  WindowProc previous = std::move(windowProc_);
  windowProc_ = std::move(proc);
  return previous;
}

void MainWindow::SendMessage(unsigned message, std::uintptr_t wParam) {
  if (windowProc_) windowProc_(message, wParam);
}

}  // namespace larkbay
