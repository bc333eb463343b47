// The chart's zoomed ranges and marker, and wheel notches, without a display.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "ui/chart_geometry.h"
#include "ui/wheel_steps.h"

namespace twk {
namespace {

using Range = ChartGeometry::Range;

TEST(ChartRange, ZoomKeepsTheRowUnderTheMouseAndPanStaysInside) {
  // shown, anchor fraction, factor -> range
  const std::tuple<Range, double, double, Range> zooms[] = {
      {{0, 5000}, 0.5, 0.8, {500, 4000}},     // the middle stays in the middle
      {{0, 5000}, 0.0, 0.5, {0, 2500}},       // the left edge stays
      {{0, 5000}, 1.0, 0.5, {2500, 2500}},    // the right edge stays
      {{1000, 400}, 0.25, 1.25, {975, 500}},  // out again around row 1100
      {{4900, 100}, 0.9, 2.0, {4800, 200}},   // kept inside the rows
      {{10, 12}, 0.5, 0.5, {11, 10}},         // never fewer than ten
      {{0, 4000}, 0.5, 2.0, {0, 5000}},       // never more than all
  };
  for (const auto& [shown, anchor, factor, expected] : zooms) {
    const Range r = ChartGeometry::zoomed(shown, 5000, anchor, factor, 10);
    EXPECT_EQ(r.first, expected.first) << shown.first << " " << factor;
    EXPECT_EQ(r.count, expected.count) << shown.first << " " << factor;
  }
  // shown, rows moved -> first row shown
  const std::tuple<Range, int, int> pans[] = {
      {{100, 50}, 30, 130}, {{100, 50}, -130, 0}, {{100, 50}, 5000, 4950}};
  for (const auto& [shown, rows, first] : pans) {
    EXPECT_EQ(ChartGeometry::panned(shown, 5000, rows), (Range{first, 50})) << rows;
  }
  EXPECT_EQ(ChartGeometry::revealing({100, 50}, 5000, 120), (Range{100, 50}));
  EXPECT_EQ(ChartGeometry::revealing({100, 50}, 5000, 150), (Range{101, 50}));
  EXPECT_EQ(ChartGeometry::revealing({100, 50}, 5000, 20), (Range{20, 50}));
}

TEST(ChartRange, AZoomedPlotDrawsItsRowsAndTheMarkerOnTheirColumns) {
  std::vector<double> values(5000);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = double(i);
  // Fewer rows than pixels and more, zoomed and not.
  const std::tuple<Range, int> cases[] = {
      {{1234, 400}, 1800}, {{0, 0}, 1800}, {{2000, 50}, 625}, {{0, 0}, 625}};
  for (const auto& [shown, width] : cases) {
    ChartGeometry::Input in{.left = 40,
                            .top = 10,
                            .width = width,
                            .height = 200,
                            .divisionsPerLabel = 20,
                            .divisionsPerTick = 20,
                            .labelWidth = 0,
                            .shown = shown};
    const ChartGeometry g = ChartGeometry::compute(values, in);
    const Range expected = shown.count > 0 ? shown : Range{0, 5000};
    ASSERT_EQ(g.shown, expected);
    EXPECT_EQ(g.columns.front().firstRow, expected.first);
    EXPECT_EQ(g.columns.back().lastRow, expected.last());
    EXPECT_EQ(g.columns.back().high, double(expected.last()));
    // Labels stay on every 20th row of all rows, so panning does not move them along.
    ASSERT_FALSE(g.labels.empty());
    for (const ChartGeometry::Mark& m : g.labels) EXPECT_EQ(m.row % 20, 0);
    EXPECT_GE(g.labels.front().row, expected.first);
    // The marker stands on its row's bar, and the row under it is one of that bar's.
    for (const ChartGeometry::Column& c : g.columns) {
      for (int row = c.firstRow; row <= c.lastRow; row += 3) {
        const int x = g.xOfRow(row);
        EXPECT_TRUE(x >= c.x && x < c.x + c.width) << row;
        EXPECT_TRUE(g.rowAt(x) >= c.firstRow && g.rowAt(x) <= c.lastRow) << row;
      }
    }
    EXPECT_EQ(g.xOfRow(expected.first - 1), -1);
    EXPECT_EQ(g.xOfRow(expected.last() + 1), -1);
  }
}

TEST(WheelSteps, WholeNotchesDownAreLaterPackets) {
  // angle deltas -> notches after each
  const std::vector<std::pair<std::vector<QPoint>, std::vector<int>>> cases = {
      {{{0, -120}, {0, -120}}, {1, 1}},             // down: later
      {{{0, 240}}, {-2}},                           // up two notches at once
      {{{0, -40}, {0, -40}, {0, -40}}, {0, 0, 1}},  // a high-resolution wheel
      {{{0, -60}, {0, 60}, {0, -60}}, {0, 0, 0}},   // back and forth
      {{{-120, 0}, {120, 0}}, {1, -1}},             // a sideways wheel
  };
  for (const auto& [deltas, notches] : cases) {
    WheelSteps wheel;
    std::vector<int> seen;
    for (const QPoint d : deltas) seen.push_back(wheel.add(d));
    EXPECT_EQ(seen, notches);
  }
}

}  // namespace
}  // namespace twk
