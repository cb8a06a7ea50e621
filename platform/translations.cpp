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
  // Windows has no system copy of them: the programs carry the Chinese one.
#ifdef Q_OS_WIN
  const QString folder = QStringLiteral(":/qt-translations");
#else
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
  if (!translator->load(QtTextLocale(system), QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace qorvel::platform
