#include "app/automation/automation_channel.h"

#include <QAbstractButton>
#include <QBrush>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <optional>

#include "app/commands/window_proc.h"
#include "app/program.h"
#include "app/widgets/tab_control.h"
#include "platform/control_names.h"
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

}  // namespace

std::unique_ptr<AutomationChannel> AutomationChannel::FromEnvironment(Program& program) {
  const QString path = qEnvironmentVariable("LARKBAY_AUTOMATION");
  if (path.isEmpty()) return nullptr;
  return std::unique_ptr<AutomationChannel>(new AutomationChannel(program, path));
}

AutomationChannel::AutomationChannel(Program& program, const QString& path)
    : program_(program), server_(new QLocalServer(this)) {
  QLocalServer::removeServer(path);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) qWarning("automation: cannot listen on %s", qPrintable(path));
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) Serve(socket);
  });
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
