#include "ui/bar_chart.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ui/chart_painter.h"
#include "ui/chart_picture.h"
#include "ui/message_box.h"

namespace twk {
namespace {

const QColor kMarkerColour(0xe0, 0x40, 0x10);
// One wheel notch with Ctrl shows a fifth fewer or a quarter more rows; never fewer than ten.
constexpr double kZoomPerNotch = 1.25;
constexpr int kLeastRowsShown = 10;

}  // namespace

BarChart::BarChart(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  setFocusPolicy(Qt::ClickFocus);
  m_saveChooser = [this](const QString& suggested) { return askChartSavePath(this, suggested); };
  buildMenu();
}

void BarChart::buildMenu() {
  m_menu = new QMenu(this);
  m_fitAction = m_menu->addAction(QStringLiteral("Fit to Values"));
  m_fitAction->setObjectName(QStringLiteral("fitToValues"));
  m_fitAction->setCheckable(true);
  // Shown in the menu; keyPressEvent takes the key while the chart has the focus.
  m_fitAction->setShortcut(Qt::Key_F);
  m_fitAction->setShortcutContext(Qt::WidgetShortcut);
  connect(m_fitAction, &QAction::triggered, this, [this](bool on) {
    setFitted(on);
    emit fittedToggled(on);
  });
  m_timeAction = m_menu->addAction(QStringLiteral("Label by On-board Time"));
  m_timeAction->setObjectName(QStringLiteral("labelByTime"));
  m_timeAction->setCheckable(true);
  connect(m_timeAction, &QAction::triggered, this, [this](bool on) {
    setTimeLabels(on);
    emit timeLabelsToggled(on);
  });
  m_menu->addSeparator();
  QAction* copy = m_menu->addAction(QStringLiteral("Copy Chart"), this, [this] {
    QApplication::clipboard()->setImage(chartPicture(*this));
  });
  copy->setObjectName(QStringLiteral("copyChart"));
  QAction* save =
      m_menu->addAction(QStringLiteral("Save Chart As\u2026"), this, &BarChart::saveChartAs);
  save->setObjectName(QStringLiteral("saveChartAs"));
}

void BarChart::setFitted(bool fitted) {
  m_fitAction->setChecked(fitted);
  if (fitted == m_fitted) return;
  m_fitted = fitted;
  changed();
}

void BarChart::setTimeLabels(bool on) {
  m_timeAction->setChecked(on);
  if (on == m_timeLabels) return;
  m_timeLabels = on;
  changed();
}

void BarChart::setTimeLabelSource(std::function<QString(int)> source) {
  m_timeLabelSource = std::move(source);
  changed();
}

QString BarChart::categoryLabel(int row) const {
  return m_timeLabels && m_timeLabelSource ? m_timeLabelSource(row)
                                           : QString::number(rowNumber(row));
}

void BarChart::setLimits(const ChannelLimits& limits) {
  m_limits = limits;
  changed();
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

void BarChart::clear() {
  setNumberedRows({}, 1);
  setPassStarts({});
}

void BarChart::setNumberedRows(std::vector<double> values, qint64 firstNumber,
                               std::vector<double> overlay) {
  if (!overlay.empty() && overlay.size() != values.size()) {
    throw std::invalid_argument("a second value for every row");
  }
  m_values = std::move(values);
  m_overlay = std::move(overlay);
  m_front = 0;
  valuesChangedFrom(0);
  m_firstNumber = firstNumber;
  if (m_marker > rowCount()) m_marker = 0;
  // A zoomed range keeps its place where the rows allow it.
  setShown(m_shown.count > 0 && m_shown.count < rowCount()
               ? ChartGeometry::panned(m_shown, rowCount(), 0)
               : ChartGeometry::Range{});
  changed();
}

void BarChart::appendNumberedRows(std::span<const double> values, int dropped,
                                  std::span<const double> overlay) {
  if (hasOverlay() && overlay.size() != values.size()) {
    throw std::invalid_argument("a second value for every row");
  }
  dropped = std::clamp(dropped, 0, rowCount());
  m_front += static_cast<std::size_t>(dropped);
  m_firstNumber += dropped;
  // What has left is given back once it is half of the storage, so a row costs a fixed time.
  if (m_front > m_values.size() / 2) {
    const auto gone = static_cast<std::ptrdiff_t>(m_front);
    m_values.erase(m_values.begin(), m_values.begin() + gone);
    if (hasOverlay()) m_overlay.erase(m_overlay.begin(), m_overlay.begin() + gone);
    m_front = 0;
    valuesChangedFrom(0);
  }
  valuesChangedFrom(m_values.size());
  if (hasOverlay()) m_overlay.insert(m_overlay.end(), overlay.begin(), overlay.end());
  if (dropped > 0 && m_shown.count > 0) {
    m_shown.first = std::max(m_shown.first - dropped, 0);
  }
  m_marker = std::max(m_marker - dropped, 0);
  const bool showsEnd = m_shown.count > 0 && m_shown.last() == rowCount() - 1;
  m_values.insert(m_values.end(), values.begin(), values.end());
  if (showsEnd) {
    setShown(ChartGeometry::panned(m_shown, rowCount(), static_cast<int>(values.size())));
  } else if (m_shown.count == 0) {
    emit visibleRowsChanged(firstVisibleRow(), lastVisibleRow());
  }
  changed();
}

void BarChart::setPassStarts(std::vector<int> rows) {
  if (rows == m_passStarts) return;
  m_passStarts = std::move(rows);
  changed();
}

qint64 BarChart::rowNumber(int row) const {
  if (row < 1 || row > rowCount()) throw std::out_of_range("chart row out of range");
  return m_firstNumber + row - 1;
}

double BarChart::value(int row) const {
  return values()[static_cast<std::size_t>(row - 1)];
}

std::span<const double> BarChart::overlayValues() const {
  if (m_overlay.empty()) return {};
  return {m_overlay.data() + m_front, m_overlay.size() - m_front};
}

double BarChart::overlayValue(int row) const {
  return overlayValues()[static_cast<std::size_t>(row - 1)];
}

void BarChart::setLegend(const QString& series, const QString& overlay) {
  m_seriesName = series;
  m_overlayName = overlay;
  changed();
}

void BarChart::showAllRows() {
  setShown({});
}

int BarChart::firstVisibleRow() const {
  if (rowCount() == 0) return 0;
  return m_shown.count > 0 ? m_shown.first + 1 : 1;
}

int BarChart::lastVisibleRow() const {
  return m_shown.count > 0 ? m_shown.last() + 1 : rowCount();
}

void BarChart::setShown(ChartGeometry::Range shown) {
  if (shown == m_shown) return;
  m_shown = shown;
  changed();
  emit visibleRowsChanged(firstVisibleRow(), lastVisibleRow());
}

void BarChart::setMarkerRow(int row) {
  row = row >= 1 && row <= rowCount() ? row : 0;
  if (row > 0 && m_shown.count > 0)
    setShown(ChartGeometry::revealing(m_shown, rowCount(), row - 1));
  if (row == m_marker) return;
  // Only the strips of the old and the new marker are painted again, over the kept picture.
  updateMarker(m_marker);
  m_marker = row;
  updateMarker(m_marker);
}

void BarChart::updateMarker(int row) {
  if (row == 0 || !m_geometryValid) {
    update();
    return;
  }
  const int x = m_geometry.xOfRow(row - 1);
  if (x >= 0) update(QRect(x - 2, 0, 5, height()));
}

void BarChart::setToolTipSource(std::function<QString(int)> source) {
  m_toolTipSource = std::move(source);
}

void BarChart::changed() {
  m_geometryValid = false;
  m_pictureValid = false;
  update();
}

ChartBlocks BarChart::blocksOf(const std::vector<std::pair<double, double>>& blocks) const {
  const auto size = static_cast<std::size_t>(ChartBlocks::kSize);
  return {std::span(blocks).subspan(std::min(m_front / size, blocks.size())),
          static_cast<int>(m_front % size)};
}

ChartGeometry::Input BarChart::layoutInput() const {
  ChartBlocks::fill(m_values, m_blocksFrom, m_blocks);
  ChartBlocks::fill(m_overlay, m_blocksFrom, m_overlayBlocks);
  m_blocksFrom = m_values.size();
  const QFontMetrics metrics(font());
  // The value axis labels decide the left margin, so its steps are known before the layout.
  const ChartGeometry::Range shown = ChartGeometry::shownRows(m_shown, rowCount());
  const auto widestLabel = [&metrics,
                            locale = ChartPainter::axisLocale()](const ChartGeometry::Axis& axis) {
    int widest = 0;
    for (const double tick : axis.ticks()) {
      widest =
          std::max(widest, metrics.horizontalAdvance(locale.toString(tick, 'f', axis.decimals)));
    }
    return widest;
  };
  int valueLabelWidth = 0;
  std::optional<ChartGeometry::Axis> valueAxis;
  if (rowCount() > 0) {
    valueAxis = ChartGeometry::valueAxis(values(), shown, m_fitted, blocksOf(m_blocks));
    valueLabelWidth = widestLabel(*valueAxis);
  }
  const int margin = ChartPainter::kMargin;
  const int tick = ChartPainter::kTickLength;
  ChartGeometry::Input in;
  in.left = margin + valueLabelWidth + tick + 2;
  in.top = margin + metrics.height() / 2;
  int right = margin + metrics.height() / 2;
  if (hasOverlay() && rowCount() > 0) {
    // The second series' axis labels at the right, and the legend's line above the plot.
    right = margin +
            widestLabel(ChartGeometry::valueAxis(overlayValues(), shown, m_fitted,
                                                 blocksOf(m_overlayBlocks))) +
            tick + 2;
    in.top += metrics.height();
    in.overlay = overlayValues();
    in.overlayBlocks = blocksOf(m_overlayBlocks);
  }
  in.width = std::max(width() - in.left - right, 1);
  in.height = std::max(height() - in.top - margin - tick - metrics.height(), 1);
  in.divisionsPerLabel = m_autoSpacing ? 0 : m_divisionsPerLabel;
  in.divisionsPerTick = m_autoSpacing ? 0 : m_divisionsPerTick;
  // Measuring the last row's number is enough, and keeps a 5000-row refill cheap.
  if (rowCount() > 0)
    in.labelWidth = metrics.horizontalAdvance(QString::number(rowNumber(rowCount())));
  if (m_timeLabels && m_timeLabelSource && rowCount() > 0) {
    // A clock reset brings shorter times after longer ones: the longest of about a thousand
    // spread over all rows is measured, so that a million rows cost no more.
    QString longestTime;
    const int stride = std::max(rowCount() / 1000, 1);
    for (int row = 1; row <= rowCount(); row += stride) {
      QString label = categoryLabel(row);
      if (label.size() > longestTime.size()) longestTime = std::move(label);
    }
    in.labelWidth = metrics.horizontalAdvance(longestTime);
  }
  in.shown = m_shown;
  in.fitted = m_fitted;
  in.limits = m_limits;
  in.axis = valueAxis;
  in.blocks = blocksOf(m_blocks);
  return in;
}

const ChartGeometry& BarChart::geometry() const {
  if (!m_geometryValid) {
    m_geometry = ChartGeometry::compute(values(), layoutInput());
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
  const QLocale locale = ChartPainter::axisLocale();
  QString text = QString::number(rowNumber(row)) + ": " + locale.toString(value(row), 'g', 15);
  if (hasOverlay()) text += ", " + locale.toString(overlayValue(row), 'g', 15);
  return text;
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
  if (event->button() == Qt::LeftButton) {
    m_pressed = true;
    m_dragging = false;
    m_pressPos = event->position().toPoint();
    m_pressShown = m_shown;
  }
  QWidget::mousePressEvent(event);
}

void BarChart::mouseMoveEvent(QMouseEvent* event) {
  if (!m_pressed || m_pressShown.count == 0) return;
  const int dx = event->position().toPoint().x() - m_pressPos.x();
  if (!m_dragging && std::abs(dx) < QApplication::startDragDistance()) return;
  m_dragging = true;
  // The rows follow the mouse: a drag to the right brings earlier rows into view.
  const ChartGeometry& g = geometry();
  const int rows = static_cast<int>(std::lround(-dx * double(m_pressShown.count) / g.width));
  setShown(ChartGeometry::panned(m_pressShown, rowCount(), rows));
}

void BarChart::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_pressed) {
    m_pressed = false;
    const int row = m_dragging ? 0 : rowAt(event->position().toPoint());
    if (row > 0) emit rowClicked(row);
  }
  QWidget::mouseReleaseEvent(event);
}

void BarChart::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double-click is no press of its own: its release chooses no row,
  // which after the reset would be another one than the user pointed at.
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  m_pressed = false;
  showAllRows();
}

void BarChart::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (!(event->modifiers() & Qt::ControlModifier)) {
    const int notches = m_wheel.add(event->angleDelta());
    if (notches != 0) emit wheelSteps(notches);
    return;
  }
  const int notches = m_zoomWheel.add(event->angleDelta());
  if (notches == 0 || rowCount() == 0) return;
  const ChartGeometry& g = geometry();
  const double anchor = (event->position().x() - g.left) / g.width;
  const ChartGeometry::Range shown = ChartGeometry::zoomed(
      g.shown, rowCount(), anchor, std::pow(kZoomPerNotch, notches), kLeastRowsShown);
  setShown(shown.count == rowCount() ? ChartGeometry::Range{} : shown);
}

void BarChart::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F && event->modifiers() == Qt::NoModifier) {
    m_fitAction->trigger();
    return;
  }
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: emit navigationKey(event->key()); return;
    default: break;
  }
  QWidget::keyPressEvent(event);
}

void BarChart::contextMenuEvent(QContextMenuEvent* event) {
  m_menu->exec(event->globalPos());
}

void BarChart::saveChartAs() {
  const QString path = m_saveChooser(m_suggestedPath);
  if (path.isEmpty()) return;
  const QString reason = saveChartPicture(*this, path);
  if (!reason.isEmpty()) {
    showMessage(this, QStringLiteral("%1 was not written:\n%2").arg(path, reason));
  }
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

void BarChart::paintEvent(QPaintEvent* event) {
  const qreal ratio = devicePixelRatioF();
  if (!m_pictureValid || m_picture.devicePixelRatioF() != ratio) {
    // The picture is drawn over whole, so one of the right size is used again: a new one per
    // followed packet costs more than drawing it.
    if (m_picture.size() != size() * ratio || m_picture.devicePixelRatioF() != ratio) {
      m_picture = QPixmap(size() * ratio);
      m_picture.setDevicePixelRatio(ratio);
    }
    QPainter p(&m_picture);
    ChartPainter(*this).paint(p);
    m_pictureValid = true;
  }
  // Only what changed is drawn from the picture: for a moved marker, two narrow strips.
  QPainter p(this);
  for (const QRect& r : event->region()) {
    p.drawPixmap(QPointF(r.topLeft()), m_picture,
                 QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
  }
  const ChartGeometry& g = geometry();
  const int x = m_marker > 0 ? g.xOfRow(m_marker - 1) : -1;
  if (x >= 0) p.fillRect(x, g.top, 1, g.height, kMarkerColour);
}

}  // namespace twk
