#include "platform/scroll_view.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace qorvel::platform {

CScrollView::CScrollView(QWidget* parent) : QAbstractScrollArea(parent) {
  viewport()->setAutoFillBackground(false);
  setFrameShape(QFrame::StyledPanel);
}

void CScrollView::OnContextMenu(QWidget*, QPoint) {}

void CScrollView::SetScrollSizes(int, QSize sizeTotal) {
  sizeTotal = sizeTotal.expandedTo(QSize(0, 0));
  if (sizeTotal == m_sizeTotal) return;
  m_sizeTotal = sizeTotal;
  UpdateScrollBars();
}

void CScrollView::UpdateScrollBars() {
  const QSize client = viewport()->size();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  h->setRange(0, std::max(0, m_sizeTotal.width() - client.width()));
  v->setRange(0, std::max(0, m_sizeTotal.height() - client.height()));
  h->setPageStep(std::max(1, client.width()));
  v->setPageStep(std::max(1, client.height()));
  h->setSingleStep(std::max(1, client.width() / 10));
  v->setSingleStep(std::max(1, client.height() / 10));
}

QPoint CScrollView::GetScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CScrollView::ScrollToPosition(QPoint pt) {
  horizontalScrollBar()->setValue(pt.x());
  verticalScrollBar()->setValue(pt.y());
}

void CScrollView::Invalidate(bool) {
  ++m_nInvalidated;
  viewport()->update();
}

QRect CScrollView::GetClientRect() const { return QRect(QPoint(0, 0), viewport()->size()); }

QPoint CScrollView::ClientToScreen(QPoint pt) const { return viewport()->mapToGlobal(pt); }

void CScrollView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), Qt::white);
  const QPoint origin = GetScrollPosition();
  painter.translate(-origin);
  CPainterDC dc(painter, event->rect().translated(origin));
  OnDraw(&dc);
}

void CScrollView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CScrollView::scrollContentsBy(int, int) { viewport()->update(); }

void CScrollView::wheelEvent(QWheelEvent* event) {
  // A picture wider than the window but no taller has only the horizontal
  // bar; the wheel then moves that one rather than nothing.
  const QScrollBar* v = verticalScrollBar();
  QScrollBar* h = horizontalScrollBar();
  if (v->maximum() <= v->minimum() && h->maximum() > h->minimum()) {
    QCoreApplication::sendEvent(h, event);
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

void CScrollView::contextMenuEvent(QContextMenuEvent* event) {
  const QPoint point =
      event->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event->globalPos();
  OnContextMenu(this, point);
  event->accept();
}

}  // namespace qorvel::platform
