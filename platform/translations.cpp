#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qorvel::platform {

QLocale QtTextLocale(const QLocale& system) {
  if (system.language() == QLocale::C || system.language() == QLocale::Chinese)
    return QLocale(QLocale::Chinese, QLocale::China);
  return system;
}

bool InstallQtTranslations(QCoreApplication& app, const QLocale& system) {
  auto* translator = new QTranslator(&app);
  // qtbase holds the texts of the widgets, the standard dialogs and printing.
  if (!translator->load(QtTextLocale(system), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace qorvel::platform
