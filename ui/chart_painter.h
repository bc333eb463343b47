#pragma once

#include <QColor>
#include <QLocale>
#include <QString>

class QPainter;

namespace twk {

class BarChart;
struct ChartGeometry;

// Draws a bar chart as its geometry lays it out, on the chart's own picture, an image or an SVG
// file alike: the value axis with its grid, the bars (or a fitted line with the band of each
// pixel column's values), the limits and what lies beyond them, a second series with its axis
// and the legend, the category labels and the lines where a pass begins. The marker is the
// chart's own, drawn on the screen only.
class ChartPainter {
 public:
  static constexpr int kMargin = 8;
  static constexpr int kTickLength = 4;

  explicit ChartPainter(const BarChart& chart) : m_chart(chart) {}

  // The chart without its marker, over the whole of the painter's device.
  void paint(QPainter& p) const;
  // The title line above a copied or saved picture: its height (0 for none), and the line
  // itself, after which the painter stands below it.
  int titleHeight(const QString& title) const;
  void paintTitle(QPainter& p, const QString& title) const;

  // The numbers of the axes: the user's decimal separator, no group separators, like every
  // other number of the window.
  static QLocale axisLocale();

 private:
  void paintAxis(QPainter& p, const ChartGeometry& g) const;
  void paintBars(QPainter& p, const ChartGeometry& g) const;
  void paintFitted(QPainter& p, const ChartGeometry& g) const;
  void paintBeyondLimits(QPainter& p, const ChartGeometry& g) const;
  void paintLimits(QPainter& p, const ChartGeometry& g) const;
  // The second series' band and line, its value axis at the right and the legend.
  void paintOverlay(QPainter& p, const ChartGeometry& g) const;
  void paintCategories(QPainter& p, const ChartGeometry& g) const;

  const BarChart& m_chart;
};

}  // namespace twk
