// Velmar's picture reaches paper and screen whole: printing spreads the
// sample over as many pages as it needs, the scroll area covers what a large
// font draws, the wheel scrolls sideways when that is the only way to go, a
// display face without the Qorvel glyphs is reported, and Qt's own dialogs
// speak Chinese.
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "platform/dc.h"
#include "platform/test_ui.h"
#include "platform/translations.h"
#include "velmar/core/text_store.h"
#include "velmar/ui/main_frame.h"
#include "velmar/ui/resource.h"
#include "velmar/ui/velmar_app.h"
#include "velmar/ui/velmar_view.h"

using namespace qorvel::platform;

namespace {

const char kSample[] = QORVEL_SOURCE_DIR "/samples/qorvel_sample.txt";

// What one OnDraw call drew: its clip box and, for every column, its
// reference point and its text's extent (advance x cell height).
struct DrawnPage {
  QRect clip;
  std::vector<std::pair<QPoint, QSize>> columns;
};

// Passes every call on to the real context and notes what was drawn.
class SpyDC final : public CDC {
 public:
  SpyDC(CDC& dc, DrawnPage& page) : m_dc(dc), m_page(page) { page.clip = dc.GetClipBox(); }
  CFont* SelectObject(CFont* font) override { return m_dc.SelectObject(font); }
  int SetBkMode(int mode) override { return m_dc.SetBkMode(mode); }
  COLORREF SetTextColor(COLORREF color) override { return m_dc.SetTextColor(color); }
  bool TextOut(int x, int y, std::string_view text) override {
    m_page.columns.emplace_back(QPoint(x, y), m_dc.GetTextExtent(text));
    return m_dc.TextOut(x, y, text);
  }
  QSize GetTextExtent(std::string_view text) override { return m_dc.GetTextExtent(text); }
  QRect GetClipBox() const override { return m_dc.GetClipBox(); }
  bool IsPrinting() const override { return m_dc.IsPrinting(); }

 private:
  CDC& m_dc;
  DrawnPage& m_page;
};

class SpyView final : public CVelmarView {
 public:
  void OnDraw(CDC* pDC) override {
    m_pages.emplace_back();
    SpyDC spy(*pDC, m_pages.back());
    CVelmarView::OnDraw(&spy);
  }
  std::vector<DrawnPage> m_pages;
};

int PdfPageCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QString text = QString::fromLatin1(file.readAll());
  return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}

std::size_t ColumnCount() {
  return static_cast<std::size_t>(std::count(g_strWrapped.begin(), g_strWrapped.end(), '\r'));
}

}  // namespace

class VelmarViewTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;
  TestUi m_ui;
  std::unique_ptr<ScopedUi> m_use;

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmar"));
    QVERIFY(m_dir.isValid());
    m_use = std::make_unique<ScopedUi>(m_ui);
  }

  void init() {
    g_strSource.clear();
    g_strFontFace = qorvel::kDefaultFontFace;
    g_nFontSize = qorvel::kDefaultFontSize;
    g_nLineHeight = qorvel::kDefaultLineHeight;
    QVERIFY(CVelmarView::AppendTextFile(QString::fromUtf8(kSample)));
  }

  // Every column is printed whole on some page, its full length down the
  // pages of its strip, and the PDF has exactly the pages drawn.
  void printingCoversEveryColumn() {
    for (const int lineHeight : {500, 3000}) {  // columns shorter, then longer than a page
      g_nLineHeight = lineHeight;
      CVelmarView::LayoutText();
      SpyView view;
      QPrinter printer(QPrinter::ScreenResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      const QString pdf = m_dir.filePath(QStringLiteral("sample%1.pdf").arg(lineHeight));
      printer.setOutputFileName(pdf);
      view.PrintTo(printer);
      const QSize pageSize = printer.pageLayout().paintRectPixels(printer.resolution()).size();
      const int pages = PdfPageCount(pdf);
      QCOMPARE(static_cast<std::size_t>(pages), view.m_pages.size());
      QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));

      std::map<int, std::vector<const DrawnPage*>> whole;  // column x: the pages holding its cell whole
      std::map<int, QRect> columns;                        // column x: what it covers
      for (const DrawnPage& page : view.m_pages) {
        QVERIFY(page.clip.width() <= pageSize.width() && page.clip.height() <= pageSize.height());
        for (const auto& [at, extent] : page.columns) {
          const QRect cell(at.x() - extent.height(), at.y(), extent.height(), extent.width());
          columns[at.x()] = cell;
          if (page.clip.left() <= cell.left() && cell.right() <= page.clip.right()) whole[at.x()].push_back(&page);
        }
      }
      QCOMPARE(columns.size(), ColumnCount());
      for (const auto& [x, cell] : columns) {
        QVERIFY2(!whole[x].empty(), qPrintable(QStringLiteral("column at %1 cut").arg(x)));
        int reached = cell.top();
        for (const DrawnPage* page : whole[x])
          if (page->clip.top() <= reached) reached = std::max(reached, page->clip.bottom() + 1);
        QVERIFY2(reached > cell.bottom(), qPrintable(QStringLiteral("column at %1 ends at %2").arg(x).arg(reached)));
      }
    }
  }

  // At font size 40 and line height 200 every pixel drawn lies inside the
  // scroll area (none left of 0); at the defaults the sizes are unchanged.
  void scrollAreaCoversWhatIsDrawnAndTheWheelScrollsSideways() {
    CVelmarView::LayoutText();
    const int columns = static_cast<int>(ColumnCount());
    CVelmarView view;
    CRecordingDC recorded(QRect(0, 0, 100000, 100000));
    view.OnDraw(&recorded);
    QCOMPARE(view.GetTotalSize(), QSize(21 * columns + 100, 650));
    QCOMPARE(recorded.m_textOuts.at(1).x, 71);

    g_nFontSize = 40;
    g_nLineHeight = 200;
    CVelmarView::LayoutText();
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
    QCOMPARE(view.GetTotalSize(), total);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (qGray(line[x]) < 160) ink |= QRect(x - pad, y - pad, 1, 1);
    }
    QVERIFY(!ink.isEmpty());
    QVERIFY2(QRect(QPoint(0, 0), total).contains(ink),
             qPrintable(QStringLiteral("ink %1,%2..%3,%4 in %5 x %6")
                            .arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom())
                            .arg(total.width()).arg(total.height())));
    // Shown, the long columns bring the vertical scroll bar.
    view.resize(800, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_VERIFY(view.verticalScrollBar()->maximum() > 0);

    // At the defaults the sample is wider than the window but not taller:
    // only the horizontal bar, which the wheel then moves.
    g_nFontSize = qorvel::kDefaultFontSize;
    g_nLineHeight = qorvel::kDefaultLineHeight;
    CVelmarView::LayoutText();
    view.resize(800, 720);
    view.viewport()->repaint();
    QTRY_COMPARE(view.verticalScrollBar()->maximum(), 0);
    QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    QCOMPARE(view.horizontalScrollBar()->value(), 0);
    const QPointF at(100, 100);
    QWheelEvent down(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &down);
    QVERIFY(view.horizontalScrollBar()->value() > 0);
  }

  void missingFaceIsReportedAndQtSpeaksChinese() {
    QVERIFY(FaceDrawsText("DejaVu Sans", "AB"));
    QVERIFY(!FaceDrawsText("DejaVu Sans", "\xF8\xA2"));  // no Qorvel glyphs
    QVERIFY(!FaceDrawsText(qorvel::kDefaultFontFace, "A"));  // not installed here
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
      auto idleShown = [frame] {
        for (const QLabel* label : frame->statusBar()->findChildren<QLabel*>())
          if (label->text() == QStringLiteral("就绪")) return label->isVisible();
        return false;
      };
      QVERIFY(!idleShown());
      frame->OnCommand(ID_FILE_NEW);
      QCOMPARE(frame->GetStatusPaneTexts().at(0), QStringLiteral("就绪"));
      QVERIFY(idleShown());
    }

    QCOMPARE(QtTextLocale(QLocale::c()), QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(QtTextLocale(QLocale(QLocale::Chinese, QLocale::Taiwan)), QLocale(QLocale::Chinese, QLocale::China));
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
