// Velmar's picture reaches paper and screen whole: printing spreads the
// sample over as many pages as it needs, the scroll area covers what a large
// font draws, the wheel scrolls sideways when that is the only way to go, a
// display face without the Qorvel glyphs is reported, and Qt's own dialogs
// speak Chinese.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/dc.h"
#include "platform/translations.h"
#include "velmar/text_store.h"
#include "velmar/main_frame.h"
#include "velmar/resource.h"
#include "velmar/velmar_app.h"
#include "velmar/velmar_view.h"

using namespace qorvel::platform;

namespace {

// What one OnDraw call drew: its clip box and, for every column, its cell
// (the turned text's extent, left of its x).
struct DrawnPage {
  QRect clip;
  std::vector<QRect> cells;
};

// Passes every call on to the printer's context and notes what was drawn.
class SpyDC final : public CDC {
 public:
  SpyDC(CDC& dc, DrawnPage& page) : m_dc(dc), m_page(page) { page.clip = dc.GetClipBox(); }
  CFont* SelectObject(CFont* font) override { return m_dc.SelectObject(font); }
  int SetBkMode(int mode) override { return m_dc.SetBkMode(mode); }
  COLORREF SetTextColor(COLORREF color) override { return m_dc.SetTextColor(color); }
  bool TextOut(int x, int y, std::string_view text) override {
    const QSize extent = m_dc.GetTextExtent(text);
    m_page.cells.emplace_back(x - extent.height(), y, extent.height(), extent.width());
    return m_dc.TextOut(x, y, text);
  }
  QSize GetTextExtent(std::string_view text) override { return m_dc.GetTextExtent(text); }
  QRect GetClipBox() const override { return m_dc.GetClipBox(); }

 private:
  CDC& m_dc;
  DrawnPage& m_page;
};

class SpyView final : public CVelmarView {
 public:
  void OnDraw(CDC* pDC) override {
    SpyDC spy(*pDC, m_pages.emplace_back());
    CVelmarView::OnDraw(&spy);
  }
  std::vector<DrawnPage> m_pages;
};

}  // namespace

class VelmarViewTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
  }

  void init() {
    g_strSource.clear();
    g_nFontSize = qorvel::kDefaultFontSize;
    QVERIFY(CVelmarView::AppendTextFile(QStringLiteral(QORVEL_SOURCE_DIR "/samples/qorvel_sample.txt")));
  }

  // Every column is printed whole on some page and its full length down the
  // pages below that one; the PDF has exactly the pages drawn.
  void printingCoversEveryColumn() {
    for (const int lineHeight : {500, 3000}) {  // columns shorter, then longer than a page
      g_nLineHeight = lineHeight;
      CVelmarView::LayoutText();
      SpyView view;
      QPrinter printer(QPrinter::ScreenResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(m_dir.filePath(QStringLiteral("sample.pdf")));
      view.PrintTo(printer);
      QFile pdf(printer.outputFileName());
      QVERIFY(pdf.open(QIODevice::ReadOnly));
      const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page\\b"));
      const auto pages = QString::fromLatin1(pdf.readAll()).count(pageObject);
      QCOMPARE(static_cast<std::size_t>(pages), view.m_pages.size());
      QVERIFY(pages >= 3);

      const QSize pageSize = printer.pageLayout().paintRectPixels(printer.resolution()).size();
      std::map<int, std::pair<QRect, int>> columns;  // by left edge: the cell and how far down it is printed
      for (const DrawnPage& page : view.m_pages) {
        QVERIFY(page.clip.width() <= pageSize.width() && page.clip.height() <= pageSize.height());
        for (const QRect& cell : page.cells) {
          auto& [known, reached] = columns.try_emplace(cell.left(), cell, cell.top()).first->second;
          if (page.clip.left() <= cell.left() && cell.right() <= page.clip.right() && page.clip.top() <= reached)
            reached = std::max(reached, page.clip.bottom() + 1);
        }
      }
      QCOMPARE(columns.size(), std::size_t(std::count(g_strWrapped.begin(), g_strWrapped.end(), '\r')));
      for (const auto& [left, column] : columns)
        QVERIFY2(column.second > column.first.bottom(), qPrintable(QStringLiteral("column at %1 cut").arg(left)));
    }
  }

  // At font size 40 and line height 200 every pixel drawn lies inside the
  // scroll area, none left of 0.
  void scrollAreaCoversWhatIsDrawnAndTheWheelScrollsSideways() {
    g_nFontSize = 40;
    g_nLineHeight = 200;
    CVelmarView::LayoutText();
    CVelmarView view;
    CNullDC sizing;
    view.OnDraw(&sizing);
    const QSize total = view.GetTotalSize();
    const int pad = 200;
    QImage image(total + QSize(2 * pad, 2 * pad), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.translate(pad, pad);
      CPainterDC dc(painter, QRect(-pad, -pad, image.width(), image.height()));
      view.OnDraw(&dc);
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (qGray(line[x]) < 160) ink |= QRect(x - pad, y - pad, 1, 1);
    }
    QVERIFY2(!ink.isEmpty() && QRect(QPoint(0, 0), total).contains(ink),
             qPrintable(QStringLiteral("ink %1,%2..%3,%4 in %5 x %6").arg(ink.left()).arg(ink.top())
                            .arg(ink.right()).arg(ink.bottom()).arg(total.width()).arg(total.height())));

    // At the defaults the sample is wider than the window but not taller:
    // only the horizontal bar, which the wheel then moves.
    g_nFontSize = qorvel::kDefaultFontSize;
    g_nLineHeight = qorvel::kDefaultLineHeight;
    CVelmarView::LayoutText();
    view.resize(800, 720);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_COMPARE(view.verticalScrollBar()->maximum(), 0);
    QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    const QPointF at(100, 100);
    QWheelEvent down(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &down);
    QVERIFY(view.horizontalScrollBar()->value() > 0);
  }

  void missingFaceIsReportedAndQtSpeaksChinese() {
    QVERIFY(FaceDrawsText("DejaVu Sans", "AB"));  // the check can say yes
    {
      CVelmarApp app;
      QVERIFY(app.InitInstance({}, true));
      CMainFrame* frame = app.GetMainWnd();
      QVERIFY(QTest::qWaitForWindowExposed(frame));
      const QString message = frame->GetStatusPaneTexts().at(0);
      QVERIFY2(message.contains(QStringLiteral("QorvelWebTolvane")) && message.contains(QStringLiteral("安装")),
               qPrintable(message));
      // The idle text is not drawn under the message, and is back once the
      // user starts working.
      const QLabel* idle = nullptr;
      for (const QLabel* label : frame->statusBar()->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("就绪")) idle = label;
      QVERIFY(idle && !idle->isVisible());
      frame->OnCommand(ID_FILE_NEW);
      QCOMPARE(frame->GetStatusPaneTexts().at(0), QStringLiteral("就绪"));
      QVERIFY(idle->isVisible());
    }

    QCOMPARE(QtTextLocale(QLocale(QLocale::German, QLocale::Germany)).language(), QLocale::German);
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
      QSKIP("Qt's translations are not installed (qt6-translations-l10n)");
    QVERIFY(InstallQtTranslations(*qApp, QLocale::c()));  // no locale set
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY2(buttons.button(QDialogButtonBox::Ok)->text().contains(QStringLiteral("确定")),
             qPrintable(buttons.button(QDialogButtonBox::Ok)->text()));
    QVERIFY(buttons.button(QDialogButtonBox::Cancel)->text().contains(QStringLiteral("取消")));
  }
};

QTEST_MAIN(VelmarViewTest)
#include "velmar_view_test.moc"
