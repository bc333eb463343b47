#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <span>
#include <vector>

#include "ui/chart_geometry.h"
#include "ui/wheel_steps.h"

class QAction;
class QMenu;

namespace twk {

// A bar chart of one series over numbered rows (usually packets): a bar per row in row order,
// the categories named by their numbers or by what a source gives, with label and tick spacing
// either automatic or every so many categories. A second series may go beside the first, on a
// value axis of its own. It draws whatever it holds (ChartPainter does the drawing); the window
// decides what goes in.
//
// A thin marker shows one row. Ctrl+wheel zooms into the rows around the mouse, dragging pans a
// zoomed chart and a double-click shows all rows again; a click without a drag reports its row
// and the plain wheel reports notches. The context menu copies the picture or saves it as PNG or
// SVG (chart_picture.h), and fits the value axis to the values shown (also the key F once a
// click gave the chart the focus): a line with the band of each pixel column's values instead
// of bars. The keys that move through the packets on the scroll bar are reported too.
class BarChart : public QWidget {
  Q_OBJECT

 public:
  // Asks where to save the picture, given the suggested path; an empty answer cancels.
  using SaveChooser = std::function<QString(const QString& suggestedPath)>;

  explicit BarChart(QWidget* parent = nullptr);

  void setAutoCategorySpacing(bool on);
  bool autoCategorySpacing() const { return m_autoSpacing; }
  void setDivisionsPerLabel(int divisions);
  int divisionsPerLabel() const { return m_divisionsPerLabel; }
  void setDivisionsPerTick(int divisions);

  // Bars from zero (the default) or a line over an axis fitted to the values shown.
  void setFitted(bool fitted);
  bool fitted() const { return m_fitted; }

  // The limits of the series: drawn as thin dashed lines, and what lies beyond them in their
  // colour.
  void setLimits(const ChannelLimits& limits);
  const ChannelLimits& limits() const { return m_limits; }

  // Label by On-board Time: the categories are named by what source gives for a row (1-based)
  // instead of by their numbers, with the same spacing; the bars stay one per row.
  void setTimeLabels(bool on);
  bool timeLabels() const { return m_timeLabels; }
  void setTimeLabelSource(std::function<QString(int row)> source);
  // The text under the category of row (1-based) as the chart draws it.
  QString categoryLabel(int row) const;

  // Replaces all rows: row 1 is firstNumber, each next row one more. overlay is a second series
  // over the same rows (one value each), or empty for none.
  void setNumberedRows(std::vector<double> values, qint64 firstNumber,
                       std::vector<double> overlay = {});
  // Drops the first dropped rows (the oldest packets left) and adds values (and overlay's,
  // where the chart has a second series) after the last, numbered on. Costs what the rows added
  // cost, however many are held. A zoomed chart that shows the last row moves on to show the
  // new last row; otherwise the rows shown stay.
  void appendNumberedRows(std::span<const double> values, int dropped,
                          std::span<const double> overlay = {});
  // Holds no rows.
  void clear();
  int rowCount() const { return static_cast<int>(m_values.size() - m_front); }
  qint64 rowNumber(int row) const;
  double value(int row) const;
  std::span<const double> values() const {
    return {m_values.data() + m_front, m_values.size() - m_front};
  }
  // The second series: a line on its own value axis at the right, in a colour of its own.
  bool hasOverlay() const { return !m_overlay.empty(); }
  double overlayValue(int row) const;
  std::span<const double> overlayValues() const;
  // The names of the series as the legend above a chart with a second series gives them.
  void setLegend(const QString& series, const QString& overlay);
  QStringList legend() const { return {m_seriesName, m_overlayName}; }
  // Thin grey lines before these rows (1-based): where a new pass begins.
  void setPassStarts(std::vector<int> rows);
  const std::vector<int>& passStarts() const { return m_passStarts; }

  void showAllRows();
  // The rows shown, from first to last (1-based, inclusive); all rows unless zoomed.
  int firstVisibleRow() const;
  int lastVisibleRow() const;
  // The row the marker stands on, 0 for none. A zoomed chart moves to show it.
  void setMarkerRow(int row);

  // The tooltip text of a row (1-based); without a source the chart shows the number and value.
  void setToolTipSource(std::function<QString(int row)> source);
  // The row under a point of the widget, 0 outside the bars.
  int rowAt(QPoint pos) const;
  QString toolTipAt(QPoint pos) const;
  // The geometry the next paint uses (recomputed only after a change).
  const ChartGeometry& geometry() const;

  // The line above the chart in a copied or saved picture, asked for when the picture is made.
  void setTitleSource(std::function<QString()> source) { m_titleSource = std::move(source); }
  QString pictureTitle() const { return m_titleSource ? m_titleSource() : QString(); }
  // The path the save dialog suggests; its name is usually the channel's.
  void setSuggestedSavePath(const QString& path) { m_suggestedPath = path; }
  void setSaveChooser(SaveChooser chooser) { m_saveChooser = std::move(chooser); }

 signals:
  void rowClicked(int row);
  // Wheel notches without Ctrl: positive when turned towards the user.
  void wheelSteps(int notches);
  // A key that moves through the rows, as on the scroll bar: Left, Right, Page Up, Page Down,
  // Home or End.
  void navigationKey(int key);
  void visibleRowsChanged(int first, int last);
  // The user chose bars or a fitted line from the menu or with the key F.
  void fittedToggled(bool fitted);
  void timeLabelsToggled(bool on);

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildMenu();
  void changed();
  void setShown(ChartGeometry::Range shown);
  void updateMarker(int row);
  void saveChartAs();
  ChartGeometry::Input layoutInput() const;
  // Each series' blocks over the whole storage, brought up to date from m_blocksFrom on before
  // a layout: a followed packet changes the last block only.
  ChartBlocks blocksOf(const std::vector<std::pair<double, double>>& blocks) const;
  void valuesChangedFrom(std::size_t index) { m_blocksFrom = std::min(m_blocksFrom, index); }

  bool m_autoSpacing = true;
  int m_divisionsPerLabel = 1;
  int m_divisionsPerTick = 1;
  bool m_fitted = false;
  bool m_timeLabels = false;
  std::function<QString(int)> m_timeLabelSource;
  std::function<QString()> m_titleSource;
  std::function<QString(int)> m_toolTipSource;
  ChannelLimits m_limits;

  std::vector<double> m_values;   // rows from m_front on; those before it have left
  std::vector<double> m_overlay;  // the second series alongside, or empty
  std::size_t m_front = 0;
  qint64 m_firstNumber = 1;  // the number of row 1
  QString m_seriesName;
  QString m_overlayName;
  std::vector<int> m_passStarts;
  mutable std::vector<std::pair<double, double>> m_blocks;
  mutable std::vector<std::pair<double, double>> m_overlayBlocks;
  mutable std::size_t m_blocksFrom = 0;

  ChartGeometry::Range m_shown;  // 0-based; a count of 0 shows all rows
  int m_marker = 0;
  mutable ChartGeometry m_geometry;
  mutable bool m_geometryValid = false;
  // The last picture, drawn again while nothing in it changed (a repaint of the window for
  // another packet, an uncovered area, a moved marker).
  QPixmap m_picture;
  bool m_pictureValid = false;

  // A left-button press: where, and the rows shown then; a move past the drag distance pans.
  QPoint m_pressPos;
  ChartGeometry::Range m_pressShown;
  bool m_pressed = false;
  bool m_dragging = false;
  WheelSteps m_wheel;
  WheelSteps m_zoomWheel;

  QMenu* m_menu = nullptr;
  QAction* m_fitAction = nullptr;
  QAction* m_timeAction = nullptr;
  QString m_suggestedPath;
  SaveChooser m_saveChooser;
};

}  // namespace twk
