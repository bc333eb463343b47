#include "ui/bar_chart.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QHelpEvent>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ui/message_box.h"
#include "ui/user_settings.h"

namespace twk {
namespace {

constexpr int kMargin = 8;
constexpr int kTickLength = 4;
const QColor kBarColour(0x2f, 0x5f, 0xa7);
const QColor kSpanColour(0x12, 0x2a, 0x55);
const QColor kPassColour(0x9a, 0x9a, 0x9a);
// A fitted chart: the band of the values sharing a pixel column, lighter than the line on it.
const QColor kBandColour(0xa8, 0xbe, 0xe0);
const QColor kMarkerColour(0xe0, 0x40, 0x10);
// Limits: red, and an amber that stays apart from the light yellow of the charted channel.
const QColor kRedLimitColour(0xd0, 0x10, 0x10);
const QColor kYellowLimitColour(0xe8, 0x8a, 0x00);
// A second series: a teal line with a light band, apart from the blue of the first series, the
// yellow of the charted channel's field and the limits' red and amber.
const QColor kOverlayColour(0x00, 0x89, 0x7b);
const QColor kOverlayBandColour(0xb2, 0xdf, 0xdb);
constexpr int kLegendSwatch = 14;
// One wheel notch with Ctrl shows a fifth fewer or a quarter more rows; never fewer than ten.
constexpr double kZoomPerNotch = 1.25;
constexpr int kLeastRowsShown = 10;

const QString kPngFilter = QStringLiteral("PNG Image (*.png)");
const QString kSvgFilter = QStringLiteral("SVG Image (*.svg)");

// Qt's own dialog, as the open command uses; a name typed without an extension gets the one of
// the filter chosen.
QString askSavePath(QWidget* parent, const QString& suggested) {
  QFileDialog dialog(parent, QStringLiteral("Save Chart As"), suggested,
                     kPngFilter + QStringLiteral(";;") + kSvgFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  user_settings::restoreDialog(dialog, user_settings::Dialog::SaveChartAs);
  dialog.selectFile(QFileInfo(suggested).fileName());
  if (dialog.exec() != QDialog::Accepted) return QString();
  user_settings::rememberDialog(dialog, user_settings::Dialog::SaveChartAs);
  const QString filter = dialog.selectedNameFilter();
  QString path = dialog.selectedFiles().value(0);
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (!path.isEmpty() && suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    path += filter == kSvgFilter ? QStringLiteral(".svg") : QStringLiteral(".png");
  }
  return path;
}

// Renames the written file over the old one; returns the reason of a failure, empty on success.
// Qt's commit() flushes last and reports success even where that flush failed (a full disk, a
// file size limit), so the flush is checked first.
QString commit(QSaveFile& file) {
  if (!file.flush() || file.error() != QFileDevice::NoError) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  return file.commit() ? QString() : file.errorString();
}

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
  setFocusPolicy(Qt::ClickFocus);
  m_saveChooser = [this](const QString& suggested) { return askSavePath(this, suggested); };
  m_menu = new QMenu(this);
  m_fitAction = m_menu->addAction(QStringLiteral("Fit to Values"));
  m_fitAction->setObjectName(QStringLiteral("FitToValues"));
  m_fitAction->setCheckable(true);
  // Shown in the menu; keyPressEvent takes the key while the chart has the focus.
  m_fitAction->setShortcut(Qt::Key_F);
  m_fitAction->setShortcutContext(Qt::WidgetShortcut);
  connect(m_fitAction, &QAction::triggered, this, [this](bool on) {
    setFitted(on);
    emit fittedToggled(on);
  });
  m_timeAction = m_menu->addAction(QStringLiteral("Label by On-board Time"));
  m_timeAction->setObjectName(QStringLiteral("LabelByTime"));
  m_timeAction->setCheckable(true);
  connect(m_timeAction, &QAction::triggered, this, [this](bool on) {
    setTimeLabels(on);
    emit timeLabelsToggled(on);
  });
  m_menu->addSeparator();
  QAction* copy = m_menu->addAction(QStringLiteral("Copy Chart"), this,
                                    [this] { QApplication::clipboard()->setImage(picture()); });
  copy->setObjectName(QStringLiteral("CopyChart"));
  QAction* save =
      m_menu->addAction(QStringLiteral("Save Chart As\u2026"), this, &BarChart::saveChartAs);
  save->setObjectName(QStringLiteral("SaveChartAs"));
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
  return m_timeLabels && m_timeLabelSource ? m_timeLabelSource(row) : rowLabel(row);
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

void BarChart::setRowCount(int rowCount) {
  const auto count = static_cast<std::size_t>(std::max(rowCount, 0));
  m_values.erase(m_values.begin(), m_values.begin() + static_cast<std::ptrdiff_t>(m_front));
  m_front = 0;
  m_values.resize(count, 0.0);
  valuesChangedFrom(0);
  m_overlay.clear();
  m_labels.resize(static_cast<qsizetype>(count));
  m_firstNumber = 0;
  m_passStarts.clear();
  if (m_marker > this->rowCount()) m_marker = 0;
  // A zoomed range keeps its place where the rows allow it.
  setShown(m_shown.count > 0 && m_shown.count < this->rowCount()
               ? ChartGeometry::panned(m_shown, this->rowCount(), 0)
               : ChartGeometry::Range{});
  changed();
}

void BarChart::appendRows(const QStringList& labels, std::span<const double> values) {
  if (static_cast<std::size_t>(labels.size()) != values.size()) {
    throw std::invalid_argument("a label for every value");
  }
  const bool showsEnd = m_shown.count > 0 && m_shown.last() == rowCount() - 1;
  valuesChangedFrom(m_values.size());
  m_values.insert(m_values.end(), values.begin(), values.end());
  if (!m_overlay.empty()) m_overlay.resize(m_values.size(), 0.0);
  m_labels += labels;
  if (showsEnd) {
    setShown(ChartGeometry::panned(m_shown, rowCount(), static_cast<int>(values.size())));
  } else if (m_shown.count == 0) {
    emit visibleRowsChanged(firstVisibleRow(), lastVisibleRow());
  }
  changed();
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
  m_labels.clear();
  m_firstNumber = firstNumber;
  if (m_marker > rowCount()) m_marker = 0;
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

void BarChart::setRow(int row, const QString& label, double value) {
  if (row < 1 || row > rowCount()) throw std::out_of_range("chart row out of range");
  m_values[m_front + static_cast<std::size_t>(row - 1)] = value;
  valuesChangedFrom(m_front + static_cast<std::size_t>(row - 1));
  m_labels[row - 1] = label;
  changed();
}

QString BarChart::rowLabel(int row) const {
  if (m_firstNumber != 0) {
    if (row < 1 || row > rowCount()) throw std::out_of_range("chart row out of range");
    return QString::number(m_firstNumber + row - 1);
  }
  return m_labels.at(row - 1);
}

double BarChart::value(int row) const {
  return values()[static_cast<std::size_t>(row - 1)];
}

double BarChart::overlayValue(int row) const {
  return overlayValues()[static_cast<std::size_t>(row - 1)];
}

void BarChart::setLegend(const QString& series, const QString& overlay) {
  m_seriesName = series;
  m_overlayName = overlay;
  changed();
}

QColor BarChart::overlayColour() {
  return kOverlayColour;
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
  const auto widestLabel = [&metrics, locale = axisLocale()](const ChartGeometry::Axis& axis) {
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
  ChartGeometry::Input in;
  in.left = kMargin + valueLabelWidth + kTickLength + 2;
  in.top = kMargin + metrics.height() / 2;
  int right = kMargin + metrics.height() / 2;
  if (hasOverlay() && rowCount() > 0) {
    // The second series' axis labels at the right, and the legend's line above the plot.
    right = kMargin +
            widestLabel(ChartGeometry::valueAxis(overlayValues(), shown, m_fitted,
                                                 blocksOf(m_overlayBlocks))) +
            kTickLength + 2;
    in.top += metrics.height();
    in.overlay = overlayValues();
    in.overlayBlocks = blocksOf(m_overlayBlocks);
  }
  in.width = std::max(width() - in.left - right, 1);
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
  if (m_firstNumber != 0 && rowCount() > 0) {
    in.labelWidth = metrics.horizontalAdvance(rowLabel(rowCount()));
  }
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
  QString text = rowLabel(row) + ": " + axisLocale().toString(value(row), 'g', 15);
  if (hasOverlay()) text += ", " + axisLocale().toString(overlayValue(row), 'g', 15);
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
  QWidget::keyPressEvent(event);
}

void BarChart::contextMenuEvent(QContextMenuEvent* event) {
  m_menu->exec(event->globalPos());
}

int BarChart::titleHeight(const QString& title) const {
  return title.isEmpty() ? 0 : QFontMetrics(font()).height() + kMargin;
}

int BarChart::paintTitle(QPainter& p, const QString& title) const {
  const int height = titleHeight(title);
  if (height == 0) return 0;
  QFont titleFont = font();
  titleFont.setFamilies({QFontInfo(titleFont).family()});
  p.setFont(titleFont);
  p.fillRect(0, 0, width(), height, palette().color(QPalette::Base));
  p.setPen(palette().color(QPalette::Text));
  p.drawText(QRect(kMargin, kMargin / 2, width() - 2 * kMargin, height - kMargin / 2),
             Qt::AlignLeft | Qt::AlignVCenter, title);
  p.translate(0, height);
  return height;
}

QImage BarChart::picture() const {
  const qreal ratio = devicePixelRatioF();
  const QString title = pictureTitle();
  QImage image((size() + QSize(0, titleHeight(title))) * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  QPainter painter(&image);
  paintTitle(painter, title);
  paintChart(painter);
  return image;
}

QString BarChart::saveChart(const QString& path) const {
  // Written beside the old file and renamed over it at the end, so a failed write leaves it.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (!path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    QImageWriter png(&file, "png");
    if (!png.write(picture())) {
      file.cancelWriting();
      return png.errorString();
    }
    return commit(file);
  }
  const QString title = pictureTitle();
  const QSize whole = size() + QSize(0, titleHeight(title));
  QSvgGenerator svg;
  svg.setOutputDevice(&file);
  svg.setSize(whole);
  svg.setViewBox(QRect(QPoint(0, 0), whole));
  // Point sizes become pixels at this resolution; at the generator's own 72 dots per inch the
  // labels would come out smaller than the spaces measured for them on the screen.
  svg.setResolution(logicalDpiX());
  svg.setTitle(QFileInfo(path).completeBaseName());
  QPainter painter(&svg);
  paintTitle(painter, title);
  paintChart(painter);
  painter.end();
  return commit(file);
}

QString BarChart::fileNameFor(const QString& name) {
  QString result = name;
  for (QChar& c : result) {
    if (c < QChar(32) || QStringLiteral("\\/:*?\"<>|").contains(c)) c = QLatin1Char('_');
  }
  return result;
}

void BarChart::saveChartAs() {
  const QString path = m_saveChooser(m_suggestedPath);
  if (path.isEmpty()) return;
  const QString reason = saveChart(path);
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
    paintChart(p);
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

void BarChart::paintChart(QPainter& p) const {
  // A painter on a picture or a file starts with the application's font, not the chart's. The
  // family found for it is named, so that an SVG viewer uses the font the labels were measured in.
  QFont labelFont = font();
  labelFont.setFamilies({QFontInfo(labelFont).family()});
  p.setFont(labelFont);
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
    if (g.fitted) {
      paintFitted(p, g);
    } else {
      for (const ChartGeometry::Column& c : g.columns) {
        p.fillRect(c.x, c.top, c.width, c.bottom - c.top, kBarColour);
        if (c.firstRow != c.lastRow) {
          p.fillRect(c.x, c.spanTop, c.width, c.spanBottom - c.spanTop, kSpanColour);
        }
      }
      paintBeyondLimits(p, g);
    }
    paintLimits(p, g);
    if (!g.overlayColumns.empty()) paintOverlay(p, g);
    p.setPen(axisColour);
    const int baseline = g.top + g.height;
    for (const ChartGeometry::Mark& tick : g.ticks) {
      const int x = static_cast<int>(std::lround(tick.x));
      p.drawLine(x, baseline, x, baseline + kTickLength);
    }
    for (const ChartGeometry::Mark& label : g.labels) {
      const QString text = categoryLabel(label.row + 1);
      const int w = metrics.horizontalAdvance(text);
      p.drawText(QRect(static_cast<int>(label.x) - w / 2 - 1, baseline + kTickLength, w + 2,
                       metrics.height()),
                 Qt::AlignCenter, text);
    }
    // A thin grey line before the first packet of each new pass, at the left of its column.
    p.setPen(kPassColour);
    for (const int row : m_passStarts) {
      const int i = row - 1 - g.shown.first;
      if (i <= 0 || i >= g.shown.count) continue;
      const int x = g.left + static_cast<int>(std::int64_t{i} * g.width / g.shown.count);
      p.drawLine(x, g.top, x, g.top + g.height - 1);
    }
    p.setPen(axisColour);
    if (g.axis.min <= 0 && g.axis.max >= 0) {
      const int zero = static_cast<int>(std::lround(g.mapValueToY(0.0)));
      p.drawLine(g.left, zero, g.left + g.width - 1, zero);
    }
    p.drawLine(g.left - 1, g.top, g.left - 1, g.top + g.height);
  }
}

void BarChart::paintBeyondLimits(QPainter& p, const ChartGeometry& g) const {
  for (const ChartGeometry::Strip& s : g.beyond) {
    p.fillRect(s.x, s.top, s.width, s.bottom - s.top, s.red ? kRedLimitColour : kYellowLimitColour);
  }
}

void BarChart::paintLimits(QPainter& p, const ChartGeometry& g) const {
  const std::pair<const std::optional<double>&, const QColor&> lines[] = {
      {m_limits.yellowLow, kYellowLimitColour},
      {m_limits.yellowHigh, kYellowLimitColour},
      {m_limits.redLow, kRedLimitColour},
      {m_limits.redHigh, kRedLimitColour}};
  for (const auto& [limit, colour] : lines) {
    if (!limit || *limit < g.axis.min || *limit > g.axis.max) continue;
    const int y = static_cast<int>(std::lround(g.mapValueToY(*limit)));
    p.setPen(QPen(colour, 1, Qt::DashLine));
    p.drawLine(g.left, y, g.left + g.width - 1, y);
  }
}

namespace {

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

void BarChart::paintFitted(QPainter& p, const ChartGeometry& g) const {
  const auto y = [&](int row) { return g.mapValueToY(values()[static_cast<std::size_t>(row)]); };
  const QPolygonF line = paintBands(p, g.columns, y, kBandColour);
  paintBeyondLimits(p, g);
  // A cosmetic pen without antialiasing: a wide or smoothed line over a thousand pixel columns
  // costs tens of milliseconds on a raster.
  p.setPen(QPen(kBarColour, 0));
  p.drawPolyline(line);
}

}  // namespace twk

namespace twk {

void BarChart::paintOverlay(QPainter& p, const ChartGeometry& g) const {
  const std::span<const double> series = overlayValues();
  const auto y = [&](int row) { return g.mapOverlayToY(series[static_cast<std::size_t>(row)]); };
  const QPolygonF line = paintBands(p, g.overlayColumns, y, kOverlayBandColour);
  p.setPen(QPen(kOverlayColour, 0));
  p.drawPolyline(line);

  // Its axis at the right in its colour, so that each scale reads with its line.
  const QFontMetrics metrics(font());
  const QLocale locale = axisLocale();
  const int right = g.left + g.width;
  p.drawLine(right, g.top, right, g.top + g.height);
  for (const double tick : g.overlayAxis.ticks()) {
    const int ty = static_cast<int>(std::lround(g.mapOverlayToY(tick)));
    p.drawLine(right + 1, ty, right + kTickLength, ty);
    p.drawText(QRect(right + kTickLength + 2, ty - metrics.height() / 2, width(), metrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               locale.toString(tick, 'f', g.overlayAxis.decimals));
  }

  // The legend on a line above the plot: a swatch of each series' colour before its name.
  int x = g.left;
  const int legendTop = g.top - metrics.height() / 2 - metrics.height();
  const std::pair<const QString&, const QColor&> entries[] = {{m_seriesName, kBarColour},
                                                              {m_overlayName, kOverlayColour}};
  for (const auto& [name, colour] : entries) {
    p.fillRect(x, legendTop + metrics.height() / 2 - 2, kLegendSwatch, 4, colour);
    x += kLegendSwatch + 4;
    p.setPen(palette().color(QPalette::Text));
    const int w = metrics.horizontalAdvance(name);
    p.drawText(QRect(x, legendTop, w + 2, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               name);
    x += w + 3 * kMargin;
  }
}

}  // namespace twk
