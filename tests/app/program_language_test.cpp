// Qt's own texts in the program speak Chinese as the program does, whatever
// the user's locale (the test runs in the C locale): a message box's standard
// buttons, the folder picker "保存到" as the download page opens it, an edit
// box's context menu.
#include "app/locale/program_language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace larkbay;

namespace {

// A caption as the user reads it: without its shortcut mark, colon and the
// key sequence a menu item shows beside it.
QString Plain(QString text) {
  static const QRegularExpression shortcut(QStringLiteral("\\(&.\\)|&"));
  text.truncate(text.indexOf(u'\t') < 0 ? text.size() : text.indexOf(u'\t'));
  return text.remove(shortcut).remove(u':').remove(u'：').trimmed();
}

bool HasLatinWord(const QString& text) {
  static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
  return word.match(text).hasMatch();
}

}  // namespace

class ProgramLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(UseProgramLanguage(*qApp));
    QCOMPARE(QLocale().language(), QLocale::Chinese);
  }

  void standardButtonsAreChinese() {
    struct Case {
      QMessageBox::StandardButton button;
      const char* caption;
    };
    const Case cases[] = {
        {QMessageBox::Ok, "确定"},    {QMessageBox::Cancel, "取消"}, {QMessageBox::Yes, "是"},
        {QMessageBox::No, "否"},      {QMessageBox::Save, "保存"},   {QMessageBox::Close, "关闭"},
        {QMessageBox::Retry, "重试"}, {QMessageBox::Ignore, "忽略"},
    };
    QMessageBox box;
    QMessageBox::StandardButtons all;
    for (const Case& c : cases) all |= c.button;
    box.setStandardButtons(all);
    for (const Case& c : cases) {
      QAbstractButton* button = box.button(c.button);
      QVERIFY(button);
      QCOMPARE(Plain(button->text()), QString::fromUtf8(c.caption));
    }
  }

  void folderPickerHasNoEnglish() {
    // What the picker shows, read while it is open; it is then cancelled.
    auto seen = std::make_shared<QStringList>();
    auto title = std::make_shared<QString>();
    auto* poll = new QTimer(this);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, poll, [poll, seen, title] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      poll->stop();
      *title = dialog->windowTitle();
      for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible()) *seen << label->text();
      for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (!button->isVisible()) continue;
        *seen << button->text() << button->toolTip();
      }
      for (QComboBox* combo : dialog->findChildren<QComboBox*>())
        if (combo->isVisible() && combo->objectName() != QLatin1String("lookInCombo"))
          for (int i = 0; i < combo->count(); ++i) *seen << combo->itemText(i);
      dialog->reject();
      poll->deleteLater();
    });
    poll->start();
    // As the download page asks for a save folder.
    const QString chosen = QFileDialog::getExistingDirectory(
        nullptr, QStringLiteral("保存到"), QDir::tempPath(), QFileDialog::ShowDirsOnly);
    QVERIFY(chosen.isEmpty());
    QCOMPARE(*title, QStringLiteral("保存到"));
    QVERIFY(!seen->isEmpty());
    QStringList english;
    for (const QString& text : *seen)
      if (HasLatinWord(Plain(text))) english << text;
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));
    for (const char* word : {"Look in", "Choose", "Cancel"})
      QVERIFY2(!seen->join(u'\n').contains(QLatin1String(word)), word);
  }

  void editBoxMenuIsChinese() {
    QLineEdit edit(QStringLiteral("林小雨"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList english;
    for (QAction* action : menu->actions())
      if (!action->isSeparator() && HasLatinWord(Plain(action->text()))) english << action->text();
    QVERIFY(!menu->actions().isEmpty());
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));
  }
};

QTEST_MAIN(ProgramLanguageTest)
#include "program_language_test.moc"
