#pragma once
// A scrolling view whose content is painted by OnDraw through a device
// context, in logical coordinates (MM_TEXT: one unit, one pixel) that scroll
// with the scroll bars.
//
//   class CMyView : public qorvel::platform::CScrollView {
//     void OnInitialUpdate() override { SetScrollSizes(MM_TEXT, QSize(1000, 1000)); }
//     void OnDraw(CDC* pDC) override { ...; SetScrollSizes(MM_TEXT, total); }
//   };
//
// Invalidate() asks for a repaint of the whole client area (erasing it to
// white first) and counts the requests, so a test can tell whether a
// command redrew. The mouse wheel scrolls vertically, or sideways when only
// the horizontal scroll bar is present. The right-button menu arrives at
// OnContextMenu with the point in screen coordinates, or (-1, -1) when asked
// for from the keyboard.

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "platform/dc.h"

namespace qorvel::platform {

inline constexpr int MM_TEXT = 1;

class CScrollView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit CScrollView(QWidget* parent = nullptr);

  virtual void OnInitialUpdate() {}
  virtual void OnDraw(CDC* pDC) = 0;
  virtual void OnContextMenu(QWidget* pWnd, QPoint point);

  // Total size in logical units; page and line steps are the defaults.
  void SetScrollSizes(int mapMode, QSize sizeTotal);
  QSize GetTotalSize() const { return m_sizeTotal; }
  QPoint GetScrollPosition() const;
  void ScrollToPosition(QPoint pt);

  void Invalidate(bool bErase = true);
  int InvalidateCount() const { return m_nInvalidated; }

  // The client area, in client coordinates, and a client point on screen.
  QRect GetClientRect() const;
  QPoint ClientToScreen(QPoint pt) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void UpdateScrollBars();

  QSize m_sizeTotal{0, 0};
  int m_nInvalidated = 0;
};

}  // namespace qorvel::platform
