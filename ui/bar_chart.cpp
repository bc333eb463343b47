#include "ui/bar_chart.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <stdexcept>

namespace twk {
namespace {

constexpr int kMargin = 8;
constexpr int kTickLength = 4;
const QColor kBarColour(0x2f, 0x5f, 0xa7);
const QColor kSpanColour(0x12, 0x2a, 0x55);

// The user's decimal separator; no group separators, like every other number of the window.
QLocale axisLocale() {
  QLocale locale = QLocale::system();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

}  // namespace

BarChart::BarChart(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
}

void BarChart::setAutoCategorySpacing(bool on) {
  m_autoSpacing = on;
  changed();
}

void BarChart::setDivisionsPerLabel(int divisions) {
  m_divisionsPerLabel = std::max(divisions, 1);
  changed();
}

void BarChart::setDivisionsPerTick(int divisions) {
  m_divisionsPerTick = std::max(divisions, 1);
  changed();
}

void BarChart::setRowCount(int rowCount) {
  const auto count = static_cast<std::size_t>(std::max(rowCount, 0));
  m_values.resize(count, 0.0);
  m_labels.resize(static_cast<qsizetype>(count));
  changed();
}

void BarChart::setRow(int row, const QString& label, double value) {
  if (row < 1 || row > rowCount()) throw std::out_of_range("chart row out of range");
  m_values[static_cast<std::size_t>(row - 1)] = value;
  m_labels[row - 1] = label;
  changed();
}

void BarChart::appendRow(const QString& label, double value) {
  m_values.push_back(value);
  m_labels.push_back(label);
  changed();
}

QString BarChart::rowLabel(int row) const {
  return m_labels.at(row - 1);
}

double BarChart::value(int row) const {
  return m_values.at(static_cast<std::size_t>(row - 1));
}

void BarChart::setToolTipSource(std::function<QString(int)> source) {
  m_toolTipSource = std::move(source);
}

void BarChart::changed() {
  m_geometryValid = false;
  m_pictureValid = false;
  update();
}

ChartGeometry::Input BarChart::layoutInput() const {
  const QFontMetrics metrics(font());
  // The value axis labels decide the left margin, so its steps are known before the layout.
  int valueLabelWidth = 0;
  if (!m_values.empty()) {
    const auto [low, high] = std::minmax_element(m_values.begin(), m_values.end());
    const ChartGeometry::Axis axis = ChartGeometry::niceAxis(*low, *high);
    const QLocale locale = axisLocale();
    for (const double tick : axis.ticks()) {
      valueLabelWidth = std::max(
          valueLabelWidth, metrics.horizontalAdvance(locale.toString(tick, 'f', axis.decimals)));
    }
  }
  ChartGeometry::Input in;
  in.left = kMargin + valueLabelWidth + kTickLength + 2;
  in.top = kMargin + metrics.height() / 2;
  in.width = std::max(width() - in.left - kMargin - metrics.height() / 2, 1);
  in.height = std::max(height() - in.top - kMargin - kTickLength - metrics.height(), 1);
  in.divisionsPerLabel = m_autoSpacing ? 0 : m_divisionsPerLabel;
  in.divisionsPerTick = m_autoSpacing ? 0 : m_divisionsPerTick;
  // Measuring one label of the greatest length is enough for row numbers and keeps a
  // 5000-row refill cheap.
  const QString* longest = nullptr;
  for (const QString& label : m_labels) {
    if (longest == nullptr || label.size() > longest->size()) longest = &label;
  }
  if (longest != nullptr) in.labelWidth = metrics.horizontalAdvance(*longest);
  return in;
}

const ChartGeometry& BarChart::geometry() const {
  if (!m_geometryValid) {
    m_geometry = ChartGeometry::compute(m_values, layoutInput());
    m_geometryValid = true;
  }
  return m_geometry;
}

int BarChart::rowAt(QPoint pos) const {
  const ChartGeometry& g = geometry();
  if (pos.y() < g.top || pos.y() >= g.top + g.height) return 0;
  return g.rowAt(pos.x()) + 1;
}

QString BarChart::toolTipAt(QPoint pos) const {
  const int row = rowAt(pos);
  if (row == 0) return {};
  if (m_toolTipSource) return m_toolTipSource(row);
  return rowLabel(row) + ": " + axisLocale().toString(value(row), 'g', 15);
}

bool BarChart::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = toolTipAt(help->pos());
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

void BarChart::mousePressEvent(QMouseEvent* event) {
  const int row = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint()) : 0;
  if (row > 0) emit rowClicked(row);
  QWidget::mousePressEvent(event);
}

void BarChart::resizeEvent(QResizeEvent* event) {
  m_geometryValid = false;
  m_pictureValid = false;
  QWidget::resizeEvent(event);
}

void BarChart::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
    m_geometryValid = false;
    m_pictureValid = false;
  }
  QWidget::changeEvent(event);
}

void BarChart::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  if (!m_pictureValid || m_picture.devicePixelRatioF() != ratio) {
    m_picture = QPixmap(size() * ratio);
    m_picture.setDevicePixelRatio(ratio);
    drawPicture();
    m_pictureValid = true;
  }
  QPainter(this).drawPixmap(0, 0, m_picture);
}

void BarChart::drawPicture() {
  QPainter p(&m_picture);
  p.fillRect(rect(), palette().color(QPalette::Base));
  const ChartGeometry& g = geometry();
  const QColor axisColour = palette().color(QPalette::Text);
  const QFontMetrics metrics(font());
  p.setPen(axisColour);

  if (g.rowCount > 0) {
    const QLocale locale = axisLocale();
    const QColor gridColour = palette().color(QPalette::Mid);
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
    for (const ChartGeometry::Column& c : g.columns) {
      p.fillRect(c.x, c.top, c.width, c.bottom - c.top, kBarColour);
      if (c.firstRow != c.lastRow) {
        p.fillRect(c.x, c.spanTop, c.width, c.spanBottom - c.spanTop, kSpanColour);
      }
    }
    p.setPen(axisColour);
    const int baseline = g.top + g.height;
    for (const ChartGeometry::Mark& tick : g.ticks) {
      const int x = static_cast<int>(std::lround(tick.x));
      p.drawLine(x, baseline, x, baseline + kTickLength);
    }
    for (const ChartGeometry::Mark& label : g.labels) {
      const QString& text = m_labels[label.row];
      const int w = metrics.horizontalAdvance(text);
      p.drawText(QRect(static_cast<int>(label.x) - w / 2 - 1, baseline + kTickLength, w + 2,
                       metrics.height()),
                 Qt::AlignCenter, text);
    }
    const int zero = static_cast<int>(std::lround(g.mapValueToY(0.0)));
    p.drawLine(g.left, zero, g.left + g.width - 1, zero);
    p.drawLine(g.left - 1, g.top, g.left - 1, g.top + g.height);
  }
}

}  // namespace twk
