#include "ui/client_area.h"

#include <QApplication>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

namespace twk {

ClientArea::Share ClientArea::share(QSize defaultSize, Slack slack, QSize size) {
  Share s;
  s.width = size.width() - defaultSize.width();
  const int dh = size.height() - defaultSize.height();
  s.chart = std::max(dh, -slack.chart);
  s.log = std::max(dh - s.chart, -slack.log);
  return s;
}

QRect ClientArea::place(QRect r, Roles roles, Share s) {
  if (roles & GrowsWide) r.setWidth(r.width() + s.width);
  if (roles & FollowsRight) r.translate(s.width, 0);
  if (roles & LogHeight) r.setHeight(r.height() + s.log);
  if (roles & BelowLog) r.translate(0, s.log);
  if (roles & ChartHeight) r.setHeight(r.height() + s.chart);
  if (roles & BelowChart) r.translate(0, s.chart);
  return r;
}

ClientArea::ClientArea(QSize defaultSize, QWidget* parent)
    : QWidget(parent),
      m_default(defaultSize),
      m_scrollArea(new QScrollArea(this)),
      m_panel(new QWidget) {
  // At or above the least size the scroll area is the whole client area and draws nothing of
  // its own, so the window looks as if the controls sat on it directly.
  m_scrollArea->setFrameShape(QFrame::NoFrame);
  m_scrollArea->setFocusPolicy(Qt::NoFocus);
  m_scrollArea->setWidget(m_panel);
  m_panel->resize(defaultSize);
  // The window may become as small as a screen: a third of its width, a fifth of its height.
  setMinimumSize(defaultSize.width() / 3, defaultSize.height() / 5);
  resize(defaultSize);
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { showFocused(now); });
}

void ClientArea::setSlack(Slack slack) {
  m_slack = slack;
}

QSize ClientArea::leastSize() const {
  return {m_default.width(), m_default.height() - m_slack.chart - m_slack.log};
}

void ClientArea::manage(QWidget* widget, Roles roles) {
  m_managed.push_back({widget, widget->geometry(), roles});
}

void ClientArea::resizeEvent(QResizeEvent* event) {
  layOut();
  QWidget::resizeEvent(event);
}

bool ClientArea::event(QEvent* event) {
  // A label given a longer text asks its parent for room.
  if (event->type() == QEvent::LayoutRequest) layOut();
  return QWidget::event(event);
}

void ClientArea::layOut() {
  const QSize least = leastSize();
  // The layout for the size, or for the least size where the area is smaller. A panel that
  // scrolls up and down leaves room for its scroll bar, so it need not scroll sideways too.
  QSize room = size();
  if (room.height() < least.height()) {
    room.rwidth() -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scrollArea);
  }
  const QSize laid = room.expandedTo(least);
  const Share s = share(m_default, m_slack, laid);
  const bool scrolls = laid != size();
  int bottomRow = m_default.height();
  for (const Managed& m : m_managed) {
    if (m.widget->parent() == this) bottomRow = std::min(bottomRow, m.defaultRect.top());
  }
  const int pinned = scrolls ? m_default.height() - bottomRow : 0;
  m_scrollArea->setGeometry(0, 0, width(), height() - pinned);
  m_panel->resize(laid.width(), laid.height() - pinned);
  const int narrower = std::max(laid.width() - width(), 0);
  std::vector<QRect> rects;
  rects.reserve(m_managed.size());
  int widened = 0;
  for (const Managed& m : m_managed) {
    QRect r = place(m.defaultRect, m.roles, s);
    if (m.widget->parent() == this) {
      r.translate(0, height() - laid.height());
      if (m.roles & GivesWidth) {
        r.setWidth(std::max(r.width() - narrower, 0));
      } else {
        r.translate(-narrower, 0);
      }
    }
    if (m.roles & WidensLeft) {
      widened = std::max(m.widget->sizeHint().width() - r.width(), 0);
      r.setLeft(r.left() - widened);
    }
    rects.push_back(r);
  }
  for (std::size_t i = 0; i < m_managed.size(); ++i) {
    QRect r = rects[i];
    if (m_managed[i].roles & GivesWidth) r.setWidth(std::max(r.width() - widened, 0));
    m_managed[i].widget->setGeometry(r);
  }
}

void ClientArea::showFocused(QWidget* focused) {
  // The keyboard may move to a control scrolled out of view.
  if (focused != nullptr && m_panel->isAncestorOf(focused)) {
    m_scrollArea->ensureWidgetVisible(focused);
  }
}

}  // namespace twk
