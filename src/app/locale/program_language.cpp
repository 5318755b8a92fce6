#include "app/locale/program_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace larkbay {

bool UseProgramLanguage(QCoreApplication& app) {
  const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
  QLocale::setDefault(chinese);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  bool base = false;
  // "qt" names qtbase and qtmultimedia; the browser engine's texts come apart.
  for (const char* catalogue : {"qt", "qtwebengine"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(chinese, QLatin1String(catalogue), QStringLiteral("_"), folder) &&
        app.installTranslator(translator)) {
      if (qstrcmp(catalogue, "qt") == 0) base = true;
    } else {
      delete translator;
    }
  }
  return base;
}

}  // namespace larkbay
