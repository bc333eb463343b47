#include "ui/client_area.h"

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
    : QWidget(parent), m_default(defaultSize) {
  setMinimumSize(defaultSize);
  resize(defaultSize);
}

void ClientArea::setSlack(Slack slack) {
  m_slack = slack;
  setMinimumSize(m_default.width(), m_default.height() - slack.chart - slack.log);
}

void ClientArea::manage(QWidget* widget, Roles roles) {
  m_managed.push_back({widget, widget->geometry(), roles});
}

void ClientArea::resizeEvent(QResizeEvent* event) {
  const Share s = share(m_default, m_slack, size());
  for (const Managed& m : m_managed) m.widget->setGeometry(place(m.defaultRect, m.roles, s));
  QWidget::resizeEvent(event);
}

}  // namespace twk
