#pragma once
// Qt's own texts (the buttons and labels of the standard file, font, print
// and page set-up dialogs and of message boxes) in the programs' language.
//
//   QApplication app(argc, argv);
//   qorvel::platform::InstallQtTranslations(app);

#include <QLocale>

class QCoreApplication;

namespace qorvel::platform {

// The language for Qt's own texts: Chinese (PRC) for a Chinese locale and
// for none at all (C or POSIX), since the programs' own texts are Chinese;
// the locale's language otherwise.
QLocale QtTextLocale(const QLocale& system = QLocale::system());

// Installs Qt's translation for QtTextLocale(system), from the folder where
// Qt keeps its translations, into `app` for its lifetime. False when there
// is none for that language: Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication& app, const QLocale& system = QLocale::system());

}  // namespace qorvel::platform
