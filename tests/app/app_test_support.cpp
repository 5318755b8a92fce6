#include "app_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

namespace larkbay::testing {

namespace {

void Restore(const char* name, bool had, const QByteArray& value) {
  if (had) {
    qputenv(name, value);
  } else {
    qunsetenv(name);
  }
}

}  // namespace

TempAppData::TempAppData()
    : previous_(qgetenv("APPDATA")),
      hadPrevious_(qEnvironmentVariableIsSet("APPDATA")),
      previousDesktop_(qgetenv("XDG_DESKTOP_DIR")),
      hadPreviousDesktop_(qEnvironmentVariableIsSet("XDG_DESKTOP_DIR")) {
  qputenv("APPDATA", dir_.path().toLocal8Bit());
  // No test may find or leave an engine pack on the user's own desktop.
  QDir().mkpath(Desktop());
  qputenv("XDG_DESKTOP_DIR", Desktop().toLocal8Bit());
}

TempAppData::~TempAppData() {
  Restore("APPDATA", hadPrevious_, previous_);
  Restore("XDG_DESKTOP_DIR", hadPreviousDesktop_, previousDesktop_);
}

QString TempAppData::ConfigIni() const { return dir_.path() + QStringLiteral("/Lark-Bay/Config.ini"); }

QString TempAppData::ReadConfigIni() const {
  QFile file(ConfigIni());
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

void TempAppData::WriteConfigIni(const QByteArray& content) const {
  QDir().mkpath(dir_.path() + QStringLiteral("/Lark-Bay"));
  QFile file(ConfigIni());
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(content);
}

std::shared_ptr<SeenBox> AnswerNextMessageBox(QMessageBox::StandardButton button) {
  auto seen = std::make_shared<SeenBox>();
  auto* poll = new QTimer(qApp);
  poll->setInterval(0);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, seen, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    seen->seen = true;
    seen->title = box->windowTitle();
    seen->text = box->text();
    seen->icon = box->icon();
    seen->buttons = box->standardButtons();
    for (QAbstractButton* b : box->buttons()) seen->buttonCaptions << b->text();
    poll->stop();
    poll->deleteLater();
    if (QAbstractButton* target = box->button(button)) target->click();
  });
  poll->start();
  return seen;
}

int TestTimeFactor() {
  bool ok = false;
  const int factor = qEnvironmentVariableIntValue("LARKBAY_TEST_TIME_FACTOR", &ok);
  return ok && factor > 1 ? factor : 1;
}

}  // namespace larkbay::testing
