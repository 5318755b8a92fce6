#include "app/automation/automation_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QBrush>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/commands/window_proc.h"
#include "app/program.h"
#include "app/widgets/tab_control.h"
#include "platform/control_names.h"
#include "platform/processes.h"
#include "services/log/developer_log.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

QString Escape(QString text) {
  return text.replace(u'\\', QStringLiteral("\\\\"))
      .replace(u'\n', QStringLiteral("\\n"))
      .replace(u'\r', QStringLiteral("\\r"))
      .replace(u'\t', QStringLiteral("\\t"));
}

QString Ok(const QString& value = {}) { return QStringLiteral("ok\t") + Escape(value); }
QString Error(const QString& why) { return QStringLiteral("error\t") + Escape(why); }
QString Flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

std::string Std(const QString& text) { return text.toStdString(); }

constexpr char kVariable[] = "LARKBAY_AUTOMATION";

void Log(const QString& message) {
  DevLog(LogArea::kStartup, "automation: " + message.toStdString());
}

// The peer's user, from the kernel's record of the connecting process: the
// socket file's mode is a second line, not the only one.
bool FromOwnUser(QLocalSocket& socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  const auto fd = static_cast<int>(socket.socketDescriptor());
  const bool known = fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
                     size == sizeof peer;
  if (known && peer.uid == ::geteuid()) return true;
  Log(known ? QStringLiteral("a connection from user %1 (process %2) refused")
                  .arg(peer.uid)
                  .arg(peer.pid)
            : QStringLiteral("a connection whose user is unknown refused"));
  return false;
}

}  // namespace

QString AutomationChannel::TakePathFromEnvironment() {
  const char* value = std::getenv(kVariable);
  const QString path = value ? QFile::decodeName(value) : QString();
  ::unsetenv(kVariable);
  return path;
}

std::unique_ptr<AutomationChannel> AutomationChannel::Open(Program& program, const QString& path) {
  if (path.isEmpty()) return nullptr;
  std::unique_ptr<AutomationChannel> channel(new AutomationChannel(program));
  if (!channel->Listen(path)) return nullptr;
  // Only to the updater, which hands it on only to the copy it starts again.
  SetHandOnEnvironment({std::string(kVariable) + '=' + QFile::encodeName(path).toStdString()});
  return channel;
}

AutomationChannel::AutomationChannel(Program& program)
    : program_(program), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      if (FromOwnUser(*socket)) {
        Serve(socket);
      } else {
        socket->abort();
        socket->deleteLater();
      }
    }
  });
}

bool AutomationChannel::Listen(const QString& path) {
  // lstat: a symlink is refused as it is, never followed to what it names.
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
    if (!S_ISSOCK(info.st_mode)) {
      Log(path +
          QStringLiteral(" exists and is not a socket; not listening, the file is left alone"));
      return false;
    }
    // A socket left behind by an earlier copy (the updater ends it hard).
    QLocalServer::removeServer(path);
  }
  if (!server_->listen(path)) {
    Log(QStringLiteral("cannot listen on ") + path + QStringLiteral(": ") + server_->errorString());
    return false;
  }
  return true;
}

AutomationChannel::~AutomationChannel() = default;

void AutomationChannel::Serve(QLocalSocket* socket) {
  connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
  connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
    while (socket->canReadLine()) {
      const QString line = QString::fromUtf8(socket->readLine()).chopped(1);
      const QString reply = Run(line.split(u'\t'));
      socket->write(reply.toUtf8() + '\n');
      socket->flush();
    }
  });
}

QString AutomationChannel::Run(const QStringList& c) {
  QtControls& controls = program_.Controls();
  const QString verb = c.value(0);
  const std::string name = Std(c.value(1));
  auto widget = [&]() { return controls.FindWidget(name); };

  if (verb == QLatin1String("ping"))
    return Ok(program_.Main() && program_.Main()->isVisible() ? QStringLiteral("main")
                                                              : QStringLiteral("starting"));
  if (verb == QLatin1String("text")) {
    if (!controls.Exists(name)) return Error(QStringLiteral("no control ") + c.value(1));
    return Ok(QString::fromStdString(controls.GetText(name)));
  }
  if (verb == QLatin1String("settext")) {
    return controls.SetText(name, Std(c.value(2))) ? Ok() : Error(QStringLiteral("settext"));
  }
  if (verb == QLatin1String("visible")) return Ok(Flag(controls.IsVisible(name)));
  if (verb == QLatin1String("enabled")) return Ok(Flag(controls.IsEnabled(name)));
  if (verb == QLatin1String("checked")) return Ok(Flag(controls.IsChecked(name)));
  if (verb == QLatin1String("click")) {
    auto* button = qobject_cast<QAbstractButton*>(widget());
    if (!button) return Error(QStringLiteral("no button ") + c.value(1));
    button->click();
    return Ok();
  }
  if (verb == QLatin1String("enter")) {
    QWidget* target = widget();
    if (!target) return Error(QStringLiteral("no control ") + c.value(1));
    target->setFocus();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
      QCoreApplication::sendEvent(target, &key);
    }
    return Ok();
  }
  if (verb == QLatin1String("rows")) return Ok(QString::number(controls.RowCount(name)));
  if (verb == QLatin1String("cell"))
    return Ok(QString::fromStdString(controls.GetCell(name, c.value(2).toInt(), c.value(3).toInt())));
  if (verb == QLatin1String("tooltip")) {
    auto* list = qobject_cast<QTreeWidget*>(widget());
    QTreeWidgetItem* item = list ? list->topLevelItem(c.value(2).toInt()) : nullptr;
    return item ? Ok(item->toolTip(c.value(3).toInt())) : Error(QStringLiteral("no row"));
  }
  if (verb == QLatin1String("items")) return Ok(QString::number(controls.ItemCount(name)));
  if (verb == QLatin1String("colour")) {
    auto* list = qobject_cast<QTreeWidget*>(widget());
    QTreeWidgetItem* item = list ? list->topLevelItem(c.value(2).toInt()) : nullptr;
    if (!item) return Error(QStringLiteral("no row"));
    const QVariant own = item->data(c.value(3).toInt(), Qt::ForegroundRole);
    return Ok(own.isValid() ? own.value<QBrush>().color().name() : QString());
  }
  if (verb == QLatin1String("song") || verb == QLatin1String("mix")) {
    const ProgramState& state = program_.State();
    const int row = c.value(1).toInt();
    const QString field = c.value(2);
    if (verb == QLatin1String("song")) {
      if (row < 0 || row >= static_cast<int>(state.SongRecords.size())) return Error(QStringLiteral("no row"));
      const SongRecord& s = state.SongRecords[static_cast<size_t>(row)];
      const std::string* value = field == QLatin1String("SongName")      ? &s.SongName
                                 : field == QLatin1String("SongArtists") ? &s.SongArtists
                                 : field == QLatin1String("ST")          ? &s.ST
                                 : field == QLatin1String("HD")          ? &s.HD
                                 : field == QLatin1String("HQ")          ? &s.HQ
                                 : field == QLatin1String("SQ")          ? &s.SQ
                                 : field == QLatin1String("SongMV")      ? &s.SongMV
                                                                         : nullptr;
      return value ? Ok(QString::fromStdString(*value)) : Error(QStringLiteral("no field"));
    }
    if (row < 0 || row >= static_cast<int>(state.DjRecords.size())) return Error(QStringLiteral("no row"));
    const DjRecord& m = state.DjRecords[static_cast<size_t>(row)];
    const std::string* value = field == QLatin1String("SongID")     ? &m.SongID
                               : field == QLatin1String("SongName") ? &m.SongName
                               : field == QLatin1String("ST")       ? &m.ST
                               : field == QLatin1String("HQ")       ? &m.HQ
                                                                    : nullptr;
    return value ? Ok(QString::fromStdString(*value)) : Error(QStringLiteral("no field"));
  }
  if (verb == QLatin1String("select"))
    return controls.SetSelectedRow(name, c.value(2).toInt()) ? Ok() : Error(QStringLiteral("select"));
  if (verb == QLatin1String("doubleclick")) {
    auto* list = qobject_cast<QTreeWidget*>(widget());
    QTreeWidgetItem* item = list ? list->topLevelItem(c.value(2).toInt()) : nullptr;
    if (!item) return Error(QStringLiteral("no row"));
    list->setCurrentItem(item);
    emit list->itemDoubleClicked(item, 0);
    return Ok();
  }
  if (verb == QLatin1String("command")) {
    if (!program_.Main()) return Error(QStringLiteral("no main window"));
    program_.Main()->SendMessage(kWmCommand, c.value(1).toULongLong());
    return Ok();
  }
  if (verb == QLatin1String("syscommand")) {
    if (!program_.Main()) return Error(QStringLiteral("no main window"));
    program_.Main()->SendMessage(kWmSysCommand, c.value(1).toULongLong());
    return Ok();
  }
  if (verb == QLatin1String("tab")) {
    auto* tabs = qobject_cast<TabControl*>(controls.FindWidget(names::kTabControl));
    if (!tabs) return Error(QStringLiteral("no tabs"));
    tabs->SetCurrentIndex(c.value(1).toInt());
    return Ok();
  }
  if (verb == QLatin1String("close")) {
    QWidget* window = program_.Main();
    if (!window) return Error(QStringLiteral("no main window"));
    // After the answer has gone: closing ends the program, as the window's
    // close button does.
    QTimer::singleShot(0, window, &QWidget::close);
    return Ok();
  }
  if (verb == QLatin1String("grab")) {
    QWidget* window = program_.Main();
    if (!window) return Error(QStringLiteral("no main window"));
    return window->grab().save(c.value(1)) ? Ok() : Error(QStringLiteral("grab"));
  }
  if (verb == QLatin1String("eval")) {
    std::optional<QString> value;
    if (!program_.Engine().EvaluateScript(Std(c.value(1)), [&value](std::string result) {
          value = QString::fromStdString(result);
        }))
      return Error(QStringLiteral("no page"));
    QElapsedTimer waited;
    waited.start();
    while (!value && waited.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return value ? Ok(*value) : Error(QStringLiteral("no answer"));
  }
  if (verb == QLatin1String("clipboard")) return Ok(QApplication::clipboard()->text());
  if (verb == QLatin1String("box")) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box ? Ok(box->windowTitle() + u'\t' + box->text()) : Ok();
  }
  if (verb == QLatin1String("answer")) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return Error(QStringLiteral("no box"));
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == c.value(1)) {
        button->click();
        return Ok();
      }
    }
    return Error(QStringLiteral("no button ") + c.value(1));
  }
  if (verb == QLatin1String("tasks")) {
    QStringList lines;
    for (const DownloadTask& task : program_.State().DownloadTasks)
      lines << QString::number(task.State) + u'|' + QString::fromStdString(task.FileName) + u'|' +
                   QString::fromStdString(task.TempPath);
    return Ok(lines.join(u'\n'));
  }
  if (verb == QLatin1String("value")) {
    const AppState& app = program_.State().appState;
    if (c.value(1) == QLatin1String("SavePath")) return Ok(QString::fromStdString(app.SavePath));
    if (c.value(1) == QLatin1String("PlayerEngine")) return Ok(QString::fromStdString(app.PlayerEngine));
    if (c.value(1) == QLatin1String("AutoPlay")) return Ok(Flag(app.AutoPlay));
    if (c.value(1) == QLatin1String("PlayingDjRow"))
      return Ok(QString::number(program_.State().djSearch.PlayingDjRow));
    return Error(QStringLiteral("no value ") + c.value(1));
  }
  return Error(QStringLiteral("unknown command ") + verb);
}

}  // namespace larkbay
