#include "velmar/render.h"

#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "platform/cp936.h"
#include "velmar/text_store.h"
#include "velmar/velmar_view.h"

namespace velmar {
namespace {

int Usage(const char* problem) {
  std::fprintf(stderr,
               "velmar: %s\nusage: velmar --render OUT.png [--line-height N] [--font FACE] [--size N] FILE...\n",
               problem);
  return 2;
}

constexpr std::int32_t kMaxFontSize = 1000;

bool ParseInt(const QString& text, std::int32_t& value) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (ok) value = v;
  return ok;
}

}  // namespace

QImage RenderView(CVelmarView& view) {
  // A first pass that paints nothing gives the scroll sizes.
  qorvel::platform::CNullDC sizing;
  view.OnDraw(&sizing);
  const QSize total = view.GetTotalSize();
  QImage image(std::clamp(total.width(), 1, kMaxRenderSide), std::clamp(total.height(), 1, kMaxRenderSide),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  qorvel::platform::CPainterDC dc(painter, image.rect());
  view.OnDraw(&dc);
  return image;
}

int RunRender(const QStringList& args) {
  QString out;
  QStringList files;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args.at(i);
    QString name = arg, value;
    const qsizetype eq = arg.indexOf(QLatin1Char('='));
    const bool option = arg.startsWith(QLatin1String("--")) && arg.size() > 2;
    if (option && eq > 0) {
      name = arg.left(eq);
      value = arg.mid(eq + 1);
    } else if (option && arg != QLatin1String("--")) {
      if (i + 1 >= args.size()) return Usage("an option lacks its value");
      value = args.at(++i);
    }
    if (!option) files << arg;
    else if (name == QLatin1String("--render")) out = value;
    else if (name == QLatin1String("--line-height")) {
      if (!ParseInt(value, g_nLineHeight)) return Usage("--line-height takes a whole number");
    } else if (name == QLatin1String("--size")) {
      if (!ParseInt(value, g_nFontSize) || g_nFontSize <= 0 || g_nFontSize > kMaxFontSize)
        return Usage("--size takes a whole number from 1 to 1000");
    } else if (name == QLatin1String("--font")) {
      g_strFontFace = qorvel::platform::EncodeCp936(value);
    } else {
      return Usage("unknown option");
    }
  }
  if (out.isEmpty()) return Usage("--render needs an output file");
  for (const QString& file : files) {
    if (!CVelmarView::AppendTextFile(file)) {
      std::fprintf(stderr, "velmar: cannot open %s\n", qPrintable(file));
      return 1;
    }
  }
  CVelmarView::LayoutText();
  CVelmarView view;
  const QImage image = RenderView(view);
  if (!image.save(out, "PNG")) {
    std::fprintf(stderr, "velmar: cannot write %s\n", qPrintable(out));
    return 1;
  }
  return 0;
}

}  // namespace velmar
