#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "ui/chart_geometry.h"

namespace twk {

// A bar chart of one series: a bar per row in row order, each category named by its row label,
// with label and tick spacing either automatic or every so many categories. It is filled row
// by row like a data grid and draws whatever it holds; the window decides what goes in.
class BarChart : public QWidget {
  Q_OBJECT

 public:
  explicit BarChart(QWidget* parent = nullptr);

  void setAutoCategorySpacing(bool on);
  bool autoCategorySpacing() const { return m_autoSpacing; }
  void setDivisionsPerLabel(int divisions);
  int divisionsPerLabel() const { return m_divisionsPerLabel; }
  void setDivisionsPerTick(int divisions);
  int divisionsPerTick() const { return m_divisionsPerTick; }

  // Discards or adds rows so that exactly rowCount are shown; added rows are empty.
  void setRowCount(int rowCount);
  int rowCount() const { return static_cast<int>(m_values.size()); }
  // Rows are numbered from 1, as the packets whose values they usually hold.
  void setRow(int row, const QString& label, double value);
  // Adds a row after the last, as new packets arrive, without refilling the others.
  void appendRow(const QString& label, double value);
  QString rowLabel(int row) const;
  double value(int row) const;

  // The tooltip text of a row (1-based); without a source the chart shows the label and value.
  void setToolTipSource(std::function<QString(int row)> source);
  // The row under a point of the widget, 0 outside the bars.
  int rowAt(QPoint pos) const;
  QString toolTipAt(QPoint pos) const;
  // The geometry the next paint uses (recomputed only after a change).
  const ChartGeometry& geometry() const;

 signals:
  void rowClicked(int row);

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void changed();
  void drawPicture();
  ChartGeometry::Input layoutInput() const;

  bool m_autoSpacing = true;
  int m_divisionsPerLabel = 1;
  int m_divisionsPerTick = 1;
  std::vector<double> m_values;
  QStringList m_labels;
  std::function<QString(int)> m_toolTipSource;
  mutable ChartGeometry m_geometry;
  mutable bool m_geometryValid = false;
  // The last picture, drawn again while nothing in it changed (a repaint of the window for
  // another packet, an uncovered area).
  QPixmap m_picture;
  bool m_pictureValid = false;
};

}  // namespace twk
