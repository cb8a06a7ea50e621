// Velmar: lays out vertical Mongolian text for web pages.
//
//   velmar [FILE...]
//   velmar --render OUT.png [--line-height N] [--font FACE] [--size N] FILE...

#include <QApplication>
#include <cstring>

#include "velmar/ui/render.h"
#include "velmar/ui/velmar_app.h"

int main(int argc, char** argv) {
  bool render = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--render") == 0 || std::strncmp(argv[i], "--render=", 9) == 0) render = true;
  if (render) {
    // The picture is drawn without a window: no display is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return velmar::RunRender(QApplication::arguments().mid(1));
  }

  QApplication app(argc, argv);
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
