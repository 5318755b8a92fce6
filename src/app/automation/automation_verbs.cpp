#include "app/automation/automation_verbs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <utility>

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
QString Text(const std::string& text) { return QString::fromStdString(text); }

// One command: the program and the command's fields.
struct Call {
  Program& program;
  const QStringList& fields;

  QtControls& Controls() const { return program.Controls(); }
  QString Field(int i) const { return fields.value(i); }
  int Number(int i) const { return fields.value(i).toInt(); }
  // Field 1 names the control most verbs act on.
  std::string Name() const { return fields.value(1).toStdString(); }
  QWidget* Widget() const { return Controls().FindWidget(Name()); }
  // Row field 2 of the list named by field 1.
  QTreeWidgetItem* Row() const {
    auto* list = qobject_cast<QTreeWidget*>(Widget());
    return list ? list->topLevelItem(Number(2)) : nullptr;
  }
};

using Verb = QString (*)(const Call&);

// Record fields by the names the state gives them.
template <typename Record>
using Fields = std::initializer_list<std::pair<const char*, std::string Record::*>>;

template <typename Record>
QString RecordField(const std::vector<Record>& records, const Call& c, Fields<Record> fields) {
  const int row = c.Number(1);
  if (row < 0 || row >= static_cast<int>(records.size())) return Error(QStringLiteral("no row"));
  for (const auto& [field, member] : fields) {
    if (c.Field(2) == QLatin1String(field))
      return Ok(Text(records[static_cast<size_t>(row)].*member));
  }
  return Error(QStringLiteral("no field"));
}

QString Ping(const Call& c) {
  QWidget* main = c.program.Main();
  return Ok(main && main->isVisible() ? QStringLiteral("main") : QStringLiteral("starting"));
}

QString GetText(const Call& c) {
  if (!c.Controls().Exists(c.Name())) return Error(QStringLiteral("no control ") + c.Field(1));
  return Ok(Text(c.Controls().GetText(c.Name())));
}

QString SetText(const Call& c) {
  return c.Controls().SetText(c.Name(), c.Field(2).toStdString()) ? Ok()
                                                                  : Error(QStringLiteral("settext"));
}

QString Visible(const Call& c) { return Ok(Flag(c.Controls().IsVisible(c.Name()))); }
QString Enabled(const Call& c) { return Ok(Flag(c.Controls().IsEnabled(c.Name()))); }
QString Checked(const Call& c) { return Ok(Flag(c.Controls().IsChecked(c.Name()))); }

QString Click(const Call& c) {
  auto* button = qobject_cast<QAbstractButton*>(c.Widget());
  if (!button) return Error(QStringLiteral("no button ") + c.Field(1));
  button->click();
  return Ok();
}

QString Enter(const Call& c) {
  QWidget* target = c.Widget();
  if (!target) return Error(QStringLiteral("no control ") + c.Field(1));
  target->setFocus();
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(target, &key);
  }
  return Ok();
}

QString Rows(const Call& c) { return Ok(QString::number(c.Controls().RowCount(c.Name()))); }
QString Items(const Call& c) { return Ok(QString::number(c.Controls().ItemCount(c.Name()))); }

QString Cell(const Call& c) {
  return Ok(Text(c.Controls().GetCell(c.Name(), c.Number(2), c.Number(3))));
}

QString Tooltip(const Call& c) {
  QTreeWidgetItem* item = c.Row();
  return item ? Ok(item->toolTip(c.Number(3))) : Error(QStringLiteral("no row"));
}

QString Colour(const Call& c) {
  QTreeWidgetItem* item = c.Row();
  if (!item) return Error(QStringLiteral("no row"));
  const QVariant own = item->data(c.Number(3), Qt::ForegroundRole);
  return Ok(own.isValid() ? own.value<QBrush>().color().name() : QString());
}

QString Song(const Call& c) {
  return RecordField<SongRecord>(c.program.State().SongRecords, c,
                                 {{"SongName", &SongRecord::SongName},
                                  {"SongArtists", &SongRecord::SongArtists},
                                  {"ST", &SongRecord::ST},
                                  {"HD", &SongRecord::HD},
                                  {"HQ", &SongRecord::HQ},
                                  {"SQ", &SongRecord::SQ},
                                  {"SongMV", &SongRecord::SongMV}});
}

QString Mix(const Call& c) {
  return RecordField<DjRecord>(c.program.State().DjRecords, c,
                               {{"SongID", &DjRecord::SongID},
                                {"SongName", &DjRecord::SongName},
                                {"ST", &DjRecord::ST},
                                {"HQ", &DjRecord::HQ}});
}

QString Select(const Call& c) {
  return c.Controls().SetSelectedRow(c.Name(), c.Number(2)) ? Ok() : Error(QStringLiteral("select"));
}

QString DoubleClick(const Call& c) {
  QTreeWidgetItem* item = c.Row();
  if (!item) return Error(QStringLiteral("no row"));
  QTreeWidget* list = item->treeWidget();
  list->setCurrentItem(item);
  emit list->itemDoubleClicked(item, 0);
  return Ok();
}

template <unsigned Message>
QString SendToMain(const Call& c) {
  if (!c.program.Main()) return Error(QStringLiteral("no main window"));
  c.program.Main()->SendMessage(Message, c.Field(1).toULongLong());
  return Ok();
}

QString Tab(const Call& c) {
  auto* tabs = qobject_cast<TabControl*>(c.Controls().FindWidget(names::kTabControl));
  if (!tabs) return Error(QStringLiteral("no tabs"));
  tabs->SetCurrentIndex(c.Number(1));
  return Ok();
}

QString Close(const Call& c) {
  QWidget* window = c.program.Main();
  if (!window) return Error(QStringLiteral("no main window"));
  // After the answer has gone: closing ends the program, as the window's
  // close button does.
  QTimer::singleShot(0, window, &QWidget::close);
  return Ok();
}

QString Grab(const Call& c) {
  QWidget* window = c.program.Main();
  if (!window) return Error(QStringLiteral("no main window"));
  return window->grab().save(c.Field(1)) ? Ok() : Error(QStringLiteral("grab"));
}

QString Eval(const Call& c) {
  std::optional<QString> value;
  if (!c.program.Engine().EvaluateScript(c.Field(1).toStdString(), [&value](std::string result) {
        value = QString::fromStdString(result);
      }))
    return Error(QStringLiteral("no page"));
  QElapsedTimer waited;
  waited.start();
  while (!value && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return value ? Ok(*value) : Error(QStringLiteral("no answer"));
}

QString Clipboard(const Call&) { return Ok(QApplication::clipboard()->text()); }

QString Box(const Call&) {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  return box ? Ok(box->windowTitle() + u'\t' + box->text()) : Ok();
}

QString Answer(const Call& c) {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box) return Error(QStringLiteral("no box"));
  for (QAbstractButton* button : box->buttons()) {
    if (button->text() == c.Field(1)) {
      button->click();
      return Ok();
    }
  }
  return Error(QStringLiteral("no button ") + c.Field(1));
}

QString Tasks(const Call& c) {
  QStringList lines;
  for (const DownloadTask& task : c.program.State().DownloadTasks)
    lines << QString::number(task.State) + u'|' + Text(task.FileName) + u'|' + Text(task.TempPath);
  return Ok(lines.join(u'\n'));
}

QString Value(const Call& c) {
  const ProgramState& state = c.program.State();
  const AppState& app = state.appState;
  const QString what = c.Field(1);
  if (what == QLatin1String("SavePath")) return Ok(Text(app.SavePath));
  if (what == QLatin1String("PlayerEngine")) return Ok(Text(app.PlayerEngine));
  if (what == QLatin1String("AutoPlay")) return Ok(Flag(app.AutoPlay));
  if (what == QLatin1String("PlayingDjRow")) return Ok(QString::number(state.djSearch.PlayingDjRow));
  return Error(QStringLiteral("no value ") + what);
}

const std::map<QString, Verb>& Verbs() {
  static const std::map<QString, Verb> verbs = {
      {QStringLiteral("ping"), &Ping},
      {QStringLiteral("text"), &GetText},
      {QStringLiteral("settext"), &SetText},
      {QStringLiteral("visible"), &Visible},
      {QStringLiteral("enabled"), &Enabled},
      {QStringLiteral("checked"), &Checked},
      {QStringLiteral("click"), &Click},
      {QStringLiteral("enter"), &Enter},
      {QStringLiteral("rows"), &Rows},
      {QStringLiteral("cell"), &Cell},
      {QStringLiteral("tooltip"), &Tooltip},
      {QStringLiteral("items"), &Items},
      {QStringLiteral("colour"), &Colour},
      {QStringLiteral("song"), &Song},
      {QStringLiteral("mix"), &Mix},
      {QStringLiteral("select"), &Select},
      {QStringLiteral("doubleclick"), &DoubleClick},
      {QStringLiteral("command"), &SendToMain<kWmCommand>},
      {QStringLiteral("syscommand"), &SendToMain<kWmSysCommand>},
      {QStringLiteral("tab"), &Tab},
      {QStringLiteral("close"), &Close},
      {QStringLiteral("grab"), &Grab},
      {QStringLiteral("eval"), &Eval},
      {QStringLiteral("clipboard"), &Clipboard},
      {QStringLiteral("box"), &Box},
      {QStringLiteral("answer"), &Answer},
      {QStringLiteral("tasks"), &Tasks},
      {QStringLiteral("value"), &Value},
  };
  return verbs;
}

}  // namespace

QString RunAutomationCommand(Program& program, const QStringList& command) {
  const auto verb = Verbs().find(command.value(0));
  if (verb == Verbs().end()) return Error(QStringLiteral("unknown command ") + command.value(0));
  return verb->second(Call{program, command});
}

}  // namespace larkbay
