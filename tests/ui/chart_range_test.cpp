// The chart's zoomed range and marker, without a display.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "ui/chart_geometry.h"

namespace twk {
namespace {

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
  // Fewer rows than pixels and more, zoomed and not.
  const std::tuple<Range, int> cases[] = {
      {{1234, 400}, 1800}, {{0, 0}, 1800}, {{2000, 50}, 625}, {{0, 0}, 625}};
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
    EXPECT_EQ(g.columns.back().high, double(expected.last()));
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
  }
}

}  // namespace
}  // namespace twk
