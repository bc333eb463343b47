// The bar chart: where its geometry puts bars, labels, the axis and the marker, zoomed or not,
// and what it paints.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "ui/bar_chart.h"
#include "ui/chart_geometry.h"

namespace twk {
namespace {

using Column = ChartGeometry::Column;
using Range = ChartGeometry::Range;

ChartGeometry::Input plot(int width, Range shown = {}, int labelsEvery = 0, int labelWidth = 0) {
  ChartGeometry::Input in{.left = 40, .top = 10, .width = width, .height = 280, .shown = shown};
  in.divisionsPerLabel = in.divisionsPerTick = labelsEvery;
  in.labelWidth = labelWidth;
  return in;
}

TEST(ChartGeometry, BarsFromZeroAZeroStillShowsAndLabelsDoNotOverlap) {
  const ChartGeometry g = ChartGeometry::compute(std::vector<double>{3, -2, 0}, plot(600));
  const auto zero = std::lround(g.mapValueToY(0));
  const auto& c = g.columns;
  EXPECT_EQ(std::tuple(c[0].bottom, c[1].top, c[2].bottom - c[2].top), std::tuple(zero, zero, 1));
  EXPECT_EQ(ChartGeometry::compute(std::vector<double>{1200, 2130}, plot(600)).axis.min, 0);

  // Labels every 250 of 5000 packets, 31.25 pixels apart: 30 pixels wide, every other one fits.
  const std::vector<double> values(5000, 1.0);
  EXPECT_EQ(ChartGeometry::compute(values, plot(625, {}, 250)).labels.size(), 20u);
  const ChartGeometry wide = ChartGeometry::compute(values, plot(625, {}, 250, 30));
  EXPECT_EQ(wide.ticks.size(), 20u);
  ASSERT_EQ(wide.labels.size(), 10u);
  EXPECT_EQ(wide.labels[1].row, 500);
  // A label wider than the room left of its category's middle starts at the chart's edge, as
  // one at the right end ends there: "37d 20:18" stays whole.
  for (const auto& [x, left] : {std::pair{300.0, 270}, {20.0, 0}, {590.0, 540}})
    EXPECT_EQ(ChartGeometry::labelLeft(x, 60, 600), left) << x;
}

// Several hundred packets leave bars one or two pixels wide; each must reach the screen.
TEST(BarChart, PaintsEveryNarrowBar) {
  BarChart chart;
  chart.resize(625, 313);
  chart.setNumberedRows(std::vector<double>(400, 2.0), 1);
  const QImage image = chart.grab().toImage();
  ASSERT_EQ(chart.geometry().columns.size(), 400u);
  for (const Column& c : chart.geometry().columns) {
    for (int x = c.x; x < c.x + c.width; ++x)
      EXPECT_NE(image.pixelColor(x, c.bottom - 1), chart.palette().color(QPalette::Base)) << x;
  }
}

TEST(ChartRange, ZoomKeepsTheRowUnderTheMouseAndStaysInsideTheRows) {
  // shown, anchor fraction, factor -> range
  const std::tuple<Range, double, double, Range> zooms[] = {
      {{0, 5000}, 0.5, 0.8, {500, 4000}},   {{0, 5000}, 0.0, 0.5, {0, 2500}},
      {{0, 5000}, 1.0, 0.5, {2500, 2500}},  {{1000, 400}, 0.25, 1.25, {975, 500}},
      {{4900, 100}, 0.9, 2.0, {4800, 200}},  // kept inside the rows
      {{10, 12}, 0.5, 0.5, {11, 10}},        // never fewer than ten
      {{0, 4000}, 0.5, 2.0, {0, 5000}},      // never more than all
  };
  for (const auto& [shown, anchor, factor, expected] : zooms) {
    EXPECT_EQ(ChartGeometry::zoomed(shown, 5000, anchor, factor, 10), expected)
        << shown.first << " " << shown.count << " " << factor;
  }
}

TEST(ChartRange, APlotDrawsTheRowsShownAndTheMarkerOnItsRowsBar) {
  const std::vector<double> values(5000, 1.0);
  // Fewer rows than pixels and more, zoomed and not; bars 4 and 5 pixels wide.
  const std::tuple<Range, int> cases[] = {
      {{1234, 400}, 1800}, {{0, 0}, 1800}, {{2000, 50}, 625}, {{0, 0}, 625}, {{1000, 130}, 625}};
  for (const auto& [shown, width] : cases) {
    const ChartGeometry g = ChartGeometry::compute(values, plot(width, shown, 20));
    const Range expected = shown.count > 0 ? shown : Range{0, 5000};
    EXPECT_EQ(g.columns.front().firstRow, expected.first);
    EXPECT_EQ(g.columns.back().lastRow, expected.last());
    // Labels stay on every 20th row of all rows, so panning does not drag them along.
    ASSERT_FALSE(g.labels.empty());
    for (const ChartGeometry::Mark& m : g.labels) EXPECT_EQ(m.row % 20, 0);
    // The marker stands on its row's bar, and the row under it is one of that bar's.
    for (const Column& c : g.columns) {
      for (int row = c.firstRow; row <= c.lastRow; row += 3) {
        const int x = g.xOfRow(row);
        EXPECT_TRUE(x >= c.x && x < c.x + c.width) << row;
        EXPECT_TRUE(g.rowAt(x) >= c.firstRow && g.rowAt(x) <= c.lastRow) << row;
      }
    }
    EXPECT_EQ(g.xOfRow(expected.last() + 1), -1);
    // The same gap between all bars: bars without one would read as a single wider bar.
    std::set<int> gaps;
    for (std::size_t i = 1; i < g.columns.size(); ++i)
      gaps.insert(g.columns[i].x - g.columns[i - 1].x - g.columns[i - 1].width);
    EXPECT_EQ(gaps.size(), 1u) << shown.count;
  }
}

// A fitted series spans the rows shown, zoomed or not; a second series gets an axis of its own
// values (those shown where fitted, all for bars), in the first one's pixel columns. A fitted
// series and a second one are drawn as the band of each column's values, and every value of
// 5000 in 625 pixels, one-packet spikes included, lies inside its column's band. Beyond a low
// limit the strip reaches from the limit to the lowest value, for bars to zero. A second series
// of another length is left out.
TEST(ChartGeometry, FittedAndSecondSeriesShowEverySpikeOnTheirOwnAxes) {
  std::vector<double> volts(5000), celsius(5000);
  for (std::size_t i = 0; i < volts.size(); ++i) {
    volts[i] = 3.85 + double(i % 7) * 0.001;
    celsius[i] = -10.0 + double(i % 400) / 8;
  }
  // One-packet spikes up and down.
  std::tie(volts[1234], volts[3210], celsius[1234], celsius[3210]) = std::tuple(4.1, 3.5, 39, -9);
  // fitted, rows shown -> the first axis's min and max, the second's
  const std::tuple<bool, Range, double, double, double, double> cases[] = {
      {false, {}, 0, 5, -10, 40},
      {true, {}, 3.4, 4.2, -20, 60},
      {true, {100, 50}, 3.848, 3.858, 2, 10},  // without the spikes: closer to small changes
      {false, {100, 50}, 0, 5, -10, 40}};
  for (const auto& [fitted, shown, min, max, min2, max2] : cases) {
    SCOPED_TRACE(testing::Message() << fitted << " " << shown.count);
    ChartGeometry::Input in = plot(625, shown);
    in.fitted = fitted;
    in.overlay = celsius;
    in.limits.redLow = 3.6;
    const ChartGeometry g = ChartGeometry::compute(volts, in);
    EXPECT_NEAR(g.axis.min, min, 1e-9);
    EXPECT_NEAR(g.axis.max, max, 1e-9);
    EXPECT_NEAR(g.overlayAxis.min, min2, 1e-9);
    EXPECT_NEAR(g.overlayAxis.max, max2, 1e-9);
    ASSERT_EQ(g.overlayColumns.size(), g.columns.size());
    for (std::size_t i = 0; i < g.columns.size(); ++i) {
      EXPECT_EQ(g.overlayColumns[i].x, g.columns[i].x);
      for (const bool second : {false, true}) {
        const Column& c = second ? g.overlayColumns[i] : g.columns[i];
        // The band of its values where drawn as a line, a bar reaching to zero otherwise.
        EXPECT_EQ(c.top == c.spanTop && c.bottom == c.spanBottom, second || fitted);
        for (int row = c.firstRow; row <= c.lastRow; ++row) {
          const double v = (second ? celsius : volts)[std::size_t(row)];
          const double y = second ? g.mapOverlayToY(v) : g.mapValueToY(v);
          EXPECT_TRUE(y >= c.spanTop - 0.5 && y <= c.spanBottom + 0.5) << row << " " << second;
        }
      }
    }
    if (shown.count == 0) {
      ASSERT_EQ(g.beyond.size(), 1u);
      EXPECT_EQ(g.beyond[0].top, std::lround(g.mapValueToY(3.6)));
      EXPECT_EQ(g.beyond[0].bottom, std::lround(g.mapValueToY(fitted ? 3.5 : 0)));
    }
  }
  ChartGeometry::Input input = plot(625);
  input.overlay = std::span(celsius).first(4999);
  EXPECT_TRUE(ChartGeometry::compute(volts, input).overlayColumns.empty());
}

// The blocks kept for a followed log of many rows give the columns and axes that looking at
// every row gives, wherever the rows start in a block and whichever rows are shown. The rows
// before the series in its storage are far off, so that using them would show.
TEST(ChartGeometry, BlocksGiveTheColumnsOfEveryRow) {
  std::mt19937 random(9);
  std::vector<double> storage(200'003);
  for (double& v : storage) v = std::uniform_real_distribution<>(-5, 20)(random);
  for (const int row : {0, 1, 63, 64, 127, 150'000, 199'999}) storage[row] = row % 2 ? 70 : -40;
  // What a chart draws of both series: the axes and each column's lowest and highest value.
  const auto drawn = [](const ChartGeometry& g) {
    std::vector<double> d{g.axis.min, g.axis.max, g.overlayAxis.min, g.overlayAxis.max};
    for (const Column& c : g.columns) d.insert(d.end(), {c.low, c.high});
    for (const Column& c : g.overlayColumns) d.insert(d.end(), {c.low, c.high});
    return d;
  };
  std::vector<std::pair<double, double>> blocks;
  for (const int front : {0, 1, 63, 64, 100}) {
    std::vector<double> far(storage);
    std::fill_n(far.begin(), front, 1e9);
    ChartBlocks::fill(far, 0, blocks);
    const std::span<const double> values = std::span(far).subspan(front);
    for (const Range shown : {Range{}, {1234, 150'000}, {70'000, 129}, {100, 199'000}}) {
      for (const bool fitted : {false, true}) {
        ChartGeometry::Input in = plot(600, shown);
        in.fitted = fitted;
        in.overlay = values;
        const ChartGeometry plain = ChartGeometry::compute(values, in);
        in.blocks = in.overlayBlocks = {std::span(blocks).subspan(front / 64), front % 64};
        EXPECT_EQ(drawn(ChartGeometry::compute(values, in)), drawn(plain))
            << front << " " << shown.first << " " << fitted;
      }
    }
  }
}

}  // namespace
}  // namespace twk
