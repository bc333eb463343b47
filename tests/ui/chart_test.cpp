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

ChartGeometry::Input plot(int width, int labelsEvery = 0, int labelWidth = 0) {
  return {.left = 40,
          .top = 10,
          .width = width,
          .height = 280,
          .divisionsPerLabel = labelsEvery,
          .divisionsPerTick = labelsEvery,
          .labelWidth = labelWidth,
          .shown = {}};
}

TEST(ChartGeometry, BarsFromZeroAZeroStillShowsAndLabelsDoNotOverlap) {
  const ChartGeometry g = ChartGeometry::compute(std::vector<double>{3, -2, 0}, plot(600));
  const int zero = static_cast<int>(std::lround(g.mapValueToY(0)));
  EXPECT_EQ(g.columns[0].bottom, zero);
  EXPECT_EQ(g.columns[1].top, zero);
  EXPECT_EQ(g.columns[2].bottom - g.columns[2].top, 1);
  EXPECT_EQ(ChartGeometry::compute(std::vector<double>{1200, 2130}, plot(600)).axis.min, 0);

  // Labels every 250 of 5000 packets, 31.25 pixels apart: 30 pixels wide, every other one fits.
  const std::vector<double> values(5000, 1.0);
  EXPECT_EQ(ChartGeometry::compute(values, plot(625, 250, 0)).labels.size(), 20u);
  const ChartGeometry wide = ChartGeometry::compute(values, plot(625, 250, 30));
  EXPECT_EQ(wide.ticks.size(), 20u);
  ASSERT_EQ(wide.labels.size(), 10u);
  EXPECT_EQ(wide.labels[1].row, 500);
  // A label wider than the room left of its category's middle starts at the chart's edge, as
  // one at the right end ends there: "37d 20:18" stays whole.
  for (const auto& [x, left] : {std::pair{300.0, 270}, {20.0, 0}, {590.0, 540}}) {
    EXPECT_EQ(ChartGeometry::labelLeft(x, 60, 600), left) << x;
  }
}

// Several hundred packets leave bars one or two pixels wide; each must reach the screen.
TEST(BarChart, PaintsEveryNarrowBar) {
  BarChart chart;
  chart.resize(625, 313);
  std::vector<double> values;
  for (int row = 1; row <= 400; ++row) values.push_back(row % 7 + 1);
  chart.setNumberedRows(values, 1);
  const QImage image = chart.grab().toImage();
  const ChartGeometry& g = chart.geometry();
  ASSERT_EQ(g.columns.size(), 400u);
  const QColor background = chart.palette().color(QPalette::Base);
  int unpainted = 0;
  for (const ChartGeometry::Column& c : g.columns) {
    for (int x = c.x; x < c.x + c.width; ++x)
      unpainted += image.pixelColor(x, c.bottom - 1) == background;
  }
  EXPECT_EQ(unpainted, 0);
  EXPECT_EQ(g.columns[0].width, 1);
}

using Range = ChartGeometry::Range;

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
  std::vector<double> values(5000);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = double(i);
  // Fewer rows than pixels and more, zoomed and not; bars 4 and 5 pixels wide.
  const std::tuple<Range, int> cases[] = {
      {{1234, 400}, 1800}, {{0, 0}, 1800}, {{2000, 50}, 625}, {{0, 0}, 625}, {{1000, 130}, 625}};
  for (const auto& [shown, width] : cases) {
    const ChartGeometry g = ChartGeometry::compute(values, {.left = 40,
                                                            .top = 10,
                                                            .width = width,
                                                            .height = 200,
                                                            .divisionsPerLabel = 20,
                                                            .divisionsPerTick = 20,
                                                            .labelWidth = 0,
                                                            .shown = shown});
    const Range expected = shown.count > 0 ? shown : Range{0, 5000};
    ASSERT_EQ(g.shown, expected);
    EXPECT_EQ(g.columns.front().firstRow, expected.first);
    EXPECT_EQ(g.columns.back().lastRow, expected.last());
    // Labels stay on every 20th row of all rows, so panning does not drag them along.
    ASSERT_FALSE(g.labels.empty());
    for (const ChartGeometry::Mark& m : g.labels) EXPECT_EQ(m.row % 20, 0);
    // The marker stands on its row's bar, and the row under it is one of that bar's.
    for (const ChartGeometry::Column& c : g.columns) {
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

// Fit to Values: round steps around the values with air at both ends, zero or not, and a
// constant series in the middle of its axis.
TEST(ChartGeometry, FittedAxisHasRoundStepsAndAirAroundTheValues) {
  // lowest, highest -> axis min, max, step
  const std::tuple<double, double, double, double, double> cases[] = {
      {3.80, 3.90, 3.75, 3.95, 0.05},  // battery volts: a 0.1 V change fills the plot
      {3.85, 3.85, 3.6, 4.1, 0.1},     // constant
      {0, 0, -1, 1, 0.5},              // constant zero
      {-20, 45, -40, 60, 20},          // across zero
      {1200, 1300, 1150, 1350, 50},    // air: ends on a step would touch the frame
  };
  for (const auto& [low, high, min, max, step] : cases) {
    const ChartGeometry::Axis a = ChartGeometry::fittedAxis(low, high);
    EXPECT_NEAR(a.min, min, 1e-9) << low << ".." << high;
    EXPECT_NEAR(a.max, max, 1e-9) << low << ".." << high;
    EXPECT_NEAR(a.step, step, 1e-12) << low << ".." << high;
    EXPECT_TRUE(a.min < low && a.max > high) << low << ".." << high;
  }
}

// A fitted chart spans the rows shown, zoomed or not, and its columns cover just the band of
// their values, each value of 5000 inside its column's band.
TEST(ChartGeometry, FittedChartFollowsTheRowsShownAndKeepsEverySpike) {
  std::vector<double> values(5000, 3.85);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] += (i % 7) * 0.001;
  values[1234] = 4.1;  // one-packet spikes up and down
  values[3210] = 3.5;
  ChartGeometry::Input input = plot(625);
  input.fitted = true;
  const ChartGeometry all = ChartGeometry::compute(values, input);
  EXPECT_NEAR(all.axis.min, 3.4, 1e-9);
  EXPECT_NEAR(all.axis.max, 4.2, 1e-9);
  // No bar from zero: a column covers the band of its values only.
  for (const ChartGeometry::Column& c : all.columns)
    EXPECT_LE(c.bottom, std::lround(all.mapValueToY(c.low)) + 1) << c.firstRow;
  // Below a low limit: the band from the lowest value up to the limit.
  input.limits.redLow = 3.6;
  const ChartGeometry limited = ChartGeometry::compute(values, input);
  ASSERT_EQ(limited.beyond.size(), 1u);
  EXPECT_EQ(limited.beyond[0].top, std::lround(limited.mapValueToY(3.6)));
  EXPECT_EQ(limited.beyond[0].bottom, std::lround(limited.mapValueToY(3.5)));
  input.limits = {};
  input.shown = {2000, 500};  // without the spikes: the axis closes in on the small changes
  const ChartGeometry zoomed = ChartGeometry::compute(values, input);
  EXPECT_NEAR(zoomed.axis.min, 3.848, 1e-9);
  EXPECT_NEAR(zoomed.axis.max, 3.858, 1e-9);
}

// A second series gets an axis of its own values (those shown where fitted, all for bars) and a
// band in the first series' pixel columns; every value of 5000 in 625 pixels, one-packet spikes
// included, lies inside its column's band. One of another length is left out.
// The blocks kept for a followed log of many rows give the columns and axes that looking at
// every row gives, wherever the rows start in a block and whichever rows are shown. The rows
// before the series in its storage are far off, so that using them would show.
TEST(ChartGeometry, BlocksGiveTheColumnsOfEveryRow) {
  std::mt19937 random(9);
  std::vector<double> storage(200'003);
  for (double& v : storage) v = std::uniform_real_distribution<>(-5, 20)(random);
  for (const int row : {0, 1, 63, 64, 127, 150'000, 199'999}) storage[row] = row % 2 ? 70 : -40;
  std::vector<std::pair<double, double>> blocks;
  const ChartGeometry::Range ranges[] = {{}, {1234, 150'000}, {70'000, 129}, {100, 199'000}};
  for (const int front : {0, 1, 63, 64, 100}) {
    std::vector<double> far(storage);
    std::fill_n(far.begin(), front, 1e9);
    ChartBlocks::fill(far, 0, blocks);
    const std::span<const double> values = std::span(far).subspan(front);
    for (const auto& shown : ranges) {
      for (const bool fitted : {false, true}) {
        ChartGeometry::Input in = plot(600);
        in.shown = shown;
        in.fitted = fitted;
        in.overlay = values;
        const ChartGeometry plain = ChartGeometry::compute(values, in);
        in.blocks = in.overlayBlocks = {std::span(blocks).subspan(front / 64), front % 64};
        const ChartGeometry quick = ChartGeometry::compute(values, in);
        EXPECT_EQ(quick.axis.min, plain.axis.min);
        EXPECT_EQ(quick.axis.max, plain.axis.max);
        EXPECT_EQ(quick.overlayAxis.max, plain.overlayAxis.max);
        ASSERT_EQ(quick.columns.size(), plain.columns.size());
        for (std::size_t c = 0; c < plain.columns.size(); ++c) {
          EXPECT_EQ(quick.columns[c].low, plain.columns[c].low) << front << " " << c;
          EXPECT_EQ(quick.columns[c].high, plain.columns[c].high) << front << " " << c;
          EXPECT_EQ(quick.overlayColumns[c].spanTop, plain.overlayColumns[c].spanTop);
        }
      }
    }
  }
}

TEST(ChartGeometry, OverlayHasItsOwnAxisInTheSameColumns) {
  std::vector<double> volts(5000), celsius(5000);
  for (std::size_t i = 0; i < volts.size(); ++i) {
    volts[i] = 3.8 + double(i % 11) * 0.01;
    celsius[i] = -10.0 + double(i % 400) / 8;
  }
  celsius[1234] = 39;  // one-packet spikes up and down
  celsius[3210] = -9;
  // fitted, rows shown -> the second axis's min and max
  const std::tuple<bool, Range, double, double> cases[] = {{false, {0, 0}, -10, 40},
                                                           {true, {0, 0}, -20, 60},
                                                           {true, {100, 50}, 2, 10},
                                                           {false, {100, 50}, -10, 40}};
  for (const auto& [fitted, shown, min, max] : cases) {
    ChartGeometry::Input input = plot(625);
    input.fitted = fitted;
    input.shown = shown;
    input.overlay = celsius;
    const ChartGeometry g = ChartGeometry::compute(volts, input);
    EXPECT_NEAR(g.overlayAxis.min, min, 1e-9) << fitted << " " << shown.count;
    EXPECT_NEAR(g.overlayAxis.max, max, 1e-9) << fitted << " " << shown.count;
    ASSERT_EQ(g.overlayColumns.size(), g.columns.size());
    for (std::size_t i = 0; i < g.columns.size(); ++i) {
      const ChartGeometry::Column& c = g.overlayColumns[i];
      EXPECT_EQ(c.x, g.columns[i].x);
      for (int row = c.firstRow; row <= c.lastRow; ++row) {
        const double y = g.mapOverlayToY(celsius[std::size_t(row)]);
        EXPECT_TRUE(y >= c.top - 0.5 && y <= c.bottom + 0.5) << row;
      }
    }
  }
  ChartGeometry::Input input = plot(625);
  input.overlay = std::span(celsius).first(4999);
  EXPECT_TRUE(ChartGeometry::compute(volts, input).overlayColumns.empty());
}

}  // namespace
}  // namespace twk
