#include "app/desktop/qt_desktop_actions.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "app/controls/qt_controls.h"

namespace larkbay {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// xdg-open returns at once and keeps no tie to this program.
bool StartXdgOpen(const QString& folder) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
}

}  // namespace

bool QtDesktopActions::ShowInFolder(const std::string& path) {
  const QFileInfo file(ToQString(path));
  if (!file.exists()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file.absoluteFilePath()).toString()} << QString();
    // A short wait: a file manager that answers does so at once.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
  }
  return StartXdgOpen(file.absolutePath());
}

bool QtDesktopActions::OpenFolder(const std::string& folder) {
  if (!QFileInfo(ToQString(folder)).isDir()) return false;
  return StartXdgOpen(ToQString(folder));
}

std::string QtDesktopActions::PickFolder(std::string_view owner, std::string_view title,
                                         const std::string& start) {
  QWidget* parent = controls_.FindWidget(owner);
  const QString chosen = QFileDialog::getExistingDirectory(
      parent, ToQString(title), ToQString(start), QFileDialog::ShowDirsOnly);
  return chosen.toStdString();
}

}  // namespace larkbay
