// Velmar: lays out vertical Mongolian text for web pages.
//
//   velmar [FILE...]
//   velmar --render OUT.png [--line-height N] [--font FACE] [--size N] FILE...

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "platform/application.h"
#include "platform/translations.h"
#include "velmar/render.h"
#include "velmar/resource.h"
#include "velmar/velmar_app.h"

namespace {
const char kUsage[] =
    "Usage: velmar [FILE...]\n"
    "       velmar --render OUT.png [--line-height N] [--font FACE] [--size N] FILE...\n"
    "Velmar holds one Qorvel Mongolian text, shows it as vertical columns and\n"
    "copies it in web-page format. Files named here are appended to the text.\n"
    "With --render, the files' text is laid out and the view's picture written\n"
    "to OUT.png without a window (no display needed).\n";
}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("velmar 1.0");
      return 0;
    }
  }
  bool render = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--render") == 0 || std::strncmp(argv[i], "--render=", 9) == 0) render = true;
  if (render) {
    // The picture is drawn without a window: no display is needed. (Windows
    // always has its desktop, and its build carries only that platform.)
#ifndef Q_OS_WIN
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    return velmar::RunRender(QApplication::arguments().mid(1));
  }

  qorvel::platform::Application app(argc, argv, QString::fromUtf8(kMessageCaption));
  qorvel::platform::InstallQtTranslations(app);
  CVelmarApp theApp;
  QStringList files;
  bool options = true;
  for (const QString& arg : QApplication::arguments().mid(1)) {
    if (options && arg == QLatin1String("--")) options = false;
    else files << arg;
  }
  if (!theApp.InitInstance(files)) return 1;
  return app.exec();
}
