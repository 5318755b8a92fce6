#pragma once
// The program speaks Chinese (Simplified) whatever the user's locale, and so
// do Qt's own texts in it: standard buttons, the folder picker, an edit box's
// context menu (Debian's qt6-translations-l10n).

class QCoreApplication;

namespace larkbay {

// Makes zh_CN the default locale and installs Qt's translations for it into
// `app` (its own catalogues, those of Qt Multimedia and Qt WebEngine). False
// when Qt's base catalogue is not installed; the texts then stay English.
bool UseProgramLanguage(QCoreApplication& app);

}  // namespace larkbay
