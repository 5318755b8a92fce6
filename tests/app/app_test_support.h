#pragma once
// Helpers of the app tests: a private APPDATA folder and answering a message
// box without a user.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace larkbay::testing {

// Points APPDATA at a fresh temporary folder, and the desktop
// (XDG_DESKTOP_DIR) at a folder "Desktop" beside it, for as long as it lives.
class TempAppData {
 public:
  TempAppData();
  ~TempAppData();
  QString Path() const { return dir_.path(); }
  QString Desktop() const { return dir_.path() + QStringLiteral("/Desktop"); }
  // <APPDATA>/Lark-Bay/Config.ini
  QString ConfigIni() const;
  QString ReadConfigIni() const;
  void WriteConfigIni(const QByteArray& content) const;

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
  bool hadPrevious_;
  QByteArray previousDesktop_;
  bool hadPreviousDesktop_;
};

// What the answered box showed.
struct SeenBox {
  bool seen = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QStringList buttonCaptions;  // in the box's button order
};

// Watches for the next modal message box (also one opened from another
// thread) and clicks `button` in it. The result is filled in when answered.
std::shared_ptr<SeenBox> AnswerNextMessageBox(QMessageBox::StandardButton button);

// Scripts for the player page: the bar's elapsed time ("m:ss"), and the bar's
// classes with the cause of its last failure, to say why it does not play.
inline constexpr char kPlayerElapsedScript[] =
    "document.querySelector('.sm2-inline-time').textContent";
inline constexpr char kPlayerBarStateScript[] =
    "(function () { var bar = document.querySelector('.sm2-bar-ui'); return bar ? bar.className"
    " + ' / ' + (bar.getAttribute('data-failure') || '-') : '(no bar) ' + location.href; })()";

// How many times longer the waits of a test may take than in an ordinary
// build: LARKBAY_TEST_TIME_FACTOR, which the sanitizer build sets; 1 without.
int TestTimeFactor();

}  // namespace larkbay::testing
