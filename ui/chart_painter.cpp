#include "ui/chart_painter.h"

#include <QFontInfo>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <utility>

#include "ui/bar_chart.h"
#include "ui/chart_geometry.h"

namespace twk {
namespace {

const QColor kBarColour(0x2f, 0x5f, 0xa7);
const QColor kSpanColour(0x12, 0x2a, 0x55);
const QColor kPassColour(0x9a, 0x9a, 0x9a);
// A fitted chart: the band of the values sharing a pixel column, lighter than the line on it.
const QColor kBandColour(0xa8, 0xbe, 0xe0);
// Limits: red, and an amber that stays apart from the light yellow of the charted channel.
const QColor kRedLimitColour(0xd0, 0x10, 0x10);
const QColor kYellowLimitColour(0xe8, 0x8a, 0x00);
// A second series: a teal line with a light band, apart from the blue of the first series, the
// yellow of the charted channel's field and the limits' red and amber.
const QColor kOverlayColour(0x00, 0x89, 0x7b);
const QColor kOverlayBandColour(0xb2, 0xdf, 0xdb);
constexpr int kLegendSwatch = 14;
constexpr int kMargin = ChartPainter::kMargin;
constexpr int kTickLength = ChartPainter::kTickLength;

// The chart's font by the family found for it: a painter on a picture or a file starts with
// the application's font, and an SVG viewer must use the font the labels were measured in.
QFont foundFont(const QFont& font) {
  QFont found = font;
  found.setFamilies({QFontInfo(font).family()});
  return found;
}

// The band of each column's values, then the line through its first and last row (a single
// row: its middle), returned for drawing on top, so that no spike inside a column is lost.
template <typename ToY>
QPolygonF paintBands(QPainter& p, const std::vector<ChartGeometry::Column>& columns, ToY y,
                     const QColor& band) {
  QPolygonF line;
  line.reserve(static_cast<qsizetype>(columns.size()) * 2);
  for (const ChartGeometry::Column& c : columns) {
    if (c.firstRow == c.lastRow) {
      line.append(QPointF(c.x + c.width / 2.0, y(c.firstRow)));
      continue;
    }
    p.fillRect(c.x, c.top, c.width, c.bottom - c.top, band);
    line.append(QPointF(c.x + 0.5, y(c.firstRow)));
    line.append(QPointF(c.x + c.width - 0.5, y(c.lastRow)));
  }
  return line;
}

}  // namespace

QLocale ChartPainter::axisLocale() {
  QLocale locale = QLocale::system();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

int ChartPainter::titleHeight(const QString& title) const {
  return title.isEmpty() ? 0 : QFontMetrics(m_chart.font()).height() + kMargin;
}

void ChartPainter::paintTitle(QPainter& p, const QString& title) const {
  const int height = titleHeight(title);
  if (height == 0) return;
  const int width = m_chart.width();
  p.setFont(foundFont(m_chart.font()));
  p.fillRect(0, 0, width, height, m_chart.palette().color(QPalette::Base));
  p.setPen(m_chart.palette().color(QPalette::Text));
  p.drawText(QRect(kMargin, kMargin / 2, width - 2 * kMargin, height - kMargin / 2),
             Qt::AlignLeft | Qt::AlignVCenter, title);
  p.translate(0, height);
}

void ChartPainter::paint(QPainter& p) const {
  p.setFont(foundFont(m_chart.font()));
  p.fillRect(m_chart.rect(), m_chart.palette().color(QPalette::Base));
  const ChartGeometry& g = m_chart.geometry();
  if (g.rowCount == 0) return;
  const QColor axisColour = m_chart.palette().color(QPalette::Text);
  paintAxis(p, g);
  g.fitted ? paintFitted(p, g) : paintBars(p, g);
  paintLimits(p, g);
  if (!g.overlayColumns.empty()) paintOverlay(p, g);
  paintCategories(p, g);
  p.setPen(axisColour);
  if (g.axis.min <= 0 && g.axis.max >= 0) {
    const int zero = static_cast<int>(std::lround(g.mapValueToY(0.0)));
    p.drawLine(g.left, zero, g.left + g.width - 1, zero);
  }
  p.drawLine(g.left - 1, g.top, g.left - 1, g.top + g.height);
}

void ChartPainter::paintAxis(QPainter& p, const ChartGeometry& g) const {
  const QLocale locale = axisLocale();
  const QFontMetrics metrics(m_chart.font());
  const QColor axisColour = m_chart.palette().color(QPalette::Text);
  const QColor gridColour = m_chart.palette().color(QPalette::Mid);
  for (const double tick : g.axis.ticks()) {
    const int y = static_cast<int>(std::lround(g.mapValueToY(tick)));
    p.setPen(gridColour);
    p.drawLine(g.left, y, g.left + g.width - 1, y);
    p.setPen(axisColour);
    p.drawLine(g.left - kTickLength, y, g.left - 1, y);
    const QString text = locale.toString(tick, 'f', g.axis.decimals);
    p.drawText(QRect(0, y - metrics.height() / 2, g.left - kTickLength - 2, metrics.height()),
               Qt::AlignRight | Qt::AlignVCenter, text);
  }
}

void ChartPainter::paintBars(QPainter& p, const ChartGeometry& g) const {
  for (const ChartGeometry::Column& c : g.columns) {
    p.fillRect(c.x, c.top, c.width, c.bottom - c.top, kBarColour);
    if (c.firstRow != c.lastRow) {
      p.fillRect(c.x, c.spanTop, c.width, c.spanBottom - c.spanTop, kSpanColour);
    }
  }
  paintBeyondLimits(p, g);
}

void ChartPainter::paintFitted(QPainter& p, const ChartGeometry& g) const {
  const std::span<const double> values = m_chart.values();
  const auto y = [&](int row) { return g.mapValueToY(values[static_cast<std::size_t>(row)]); };
  const QPolygonF line = paintBands(p, g.columns, y, kBandColour);
  paintBeyondLimits(p, g);
  // A cosmetic pen without antialiasing: a wide or smoothed line over a thousand pixel columns
  // costs tens of milliseconds on a raster.
  p.setPen(QPen(kBarColour, 0));
  p.drawPolyline(line);
}

void ChartPainter::paintBeyondLimits(QPainter& p, const ChartGeometry& g) const {
  for (const ChartGeometry::Strip& s : g.beyond) {
    p.fillRect(s.x, s.top, s.width, s.bottom - s.top, s.red ? kRedLimitColour : kYellowLimitColour);
  }
}

void ChartPainter::paintLimits(QPainter& p, const ChartGeometry& g) const {
  const ChannelLimits& limits = m_chart.limits();
  const std::pair<const std::optional<double>&, const QColor&> lines[] = {
      {limits.yellowLow, kYellowLimitColour},
      {limits.yellowHigh, kYellowLimitColour},
      {limits.redLow, kRedLimitColour},
      {limits.redHigh, kRedLimitColour}};
  for (const auto& [limit, colour] : lines) {
    if (!limit || *limit < g.axis.min || *limit > g.axis.max) continue;
    const int y = static_cast<int>(std::lround(g.mapValueToY(*limit)));
    p.setPen(QPen(colour, 1, Qt::DashLine));
    p.drawLine(g.left, y, g.left + g.width - 1, y);
  }
}

void ChartPainter::paintOverlay(QPainter& p, const ChartGeometry& g) const {
  const std::span<const double> series = m_chart.overlayValues();
  const auto y = [&](int row) { return g.mapOverlayToY(series[static_cast<std::size_t>(row)]); };
  const QPolygonF line = paintBands(p, g.overlayColumns, y, kOverlayBandColour);
  p.setPen(QPen(kOverlayColour, 0));
  p.drawPolyline(line);

  // Its axis at the right in its colour, so that each scale reads with its line.
  const QFontMetrics metrics(m_chart.font());
  const QLocale locale = axisLocale();
  const int right = g.left + g.width;
  p.drawLine(right, g.top, right, g.top + g.height);
  for (const double tick : g.overlayAxis.ticks()) {
    const int ty = static_cast<int>(std::lround(g.mapOverlayToY(tick)));
    p.drawLine(right + 1, ty, right + kTickLength, ty);
    p.drawText(QRect(right + kTickLength + 2, ty - metrics.height() / 2, m_chart.width(),
                     metrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               locale.toString(tick, 'f', g.overlayAxis.decimals));
  }

  // The legend on a line above the plot: a swatch of each series' colour before its name.
  int x = g.left;
  const int legendTop = g.top - metrics.height() / 2 - metrics.height();
  const QStringList names = m_chart.legend();
  const std::pair<const QString&, const QColor&> entries[] = {{names[0], kBarColour},
                                                              {names[1], kOverlayColour}};
  for (const auto& [name, colour] : entries) {
    p.fillRect(x, legendTop + metrics.height() / 2 - 2, kLegendSwatch, 4, colour);
    x += kLegendSwatch + 4;
    p.setPen(m_chart.palette().color(QPalette::Text));
    const int w = metrics.horizontalAdvance(name);
    p.drawText(QRect(x, legendTop, w + 2, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               name);
    x += w + 3 * kMargin;
  }
}

void ChartPainter::paintCategories(QPainter& p, const ChartGeometry& g) const {
  const QFontMetrics metrics(m_chart.font());
  p.setPen(m_chart.palette().color(QPalette::Text));
  const int baseline = g.top + g.height;
  for (const ChartGeometry::Mark& tick : g.ticks) {
    const int x = static_cast<int>(std::lround(tick.x));
    p.drawLine(x, baseline, x, baseline + kTickLength);
  }
  for (const ChartGeometry::Mark& label : g.labels) {
    const QString text = m_chart.categoryLabel(label.row + 1);
    const int w = metrics.horizontalAdvance(text) + 2;
    p.drawText(QRect(ChartGeometry::labelLeft(label.x, w, m_chart.width()), baseline + kTickLength,
                     w, metrics.height()),
               Qt::AlignCenter, text);
  }
  // A thin grey line before the first packet of each new pass, at the left of its column.
  p.setPen(kPassColour);
  for (const int row : m_chart.passStarts()) {
    const int i = row - 1 - g.shown.first;
    if (i <= 0 || i >= g.shown.count) continue;
    const int x = g.left + static_cast<int>(std::int64_t{i} * g.width / g.shown.count);
    p.drawLine(x, g.top, x, g.top + g.height - 1);
  }
}

}  // namespace twk
