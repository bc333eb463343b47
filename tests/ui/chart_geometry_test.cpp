#include "ui/chart_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "ui/twip_scale.h"

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

TEST(ChartGeometry, EveryPacketOfFiveThousandStaysVisibleIn625Pixels) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> noise(1200, 1300);
  std::vector<double> values(5000);
  for (double& v : values) v = noise(random);
  values[1234] = 4000;  // one-packet spikes up and down
  values[3210] = 10;
  values[4999] = -80;
  const ChartGeometry g = ChartGeometry::compute(values, plot(625));

  ASSERT_EQ(g.columns.size(), 625u);
  int nextRow = 0;
  for (const ChartGeometry::Column& c : g.columns) {
    EXPECT_EQ(c.x, g.left + (&c - g.columns.data()));
    EXPECT_EQ(c.firstRow, nextRow);  // rows in order, none skipped
    nextRow = c.lastRow + 1;
    EXPECT_GE(c.bottom - c.top, 1);
    for (int row = c.firstRow; row <= c.lastRow; ++row) {
      // Each value lies inside its drawn bar and inside the lowest-to-highest mark.
      const double y = g.mapValueToY(values[std::size_t(row)]);
      EXPECT_TRUE(y >= c.top - 0.5 && y <= c.bottom + 0.5) << row;
      EXPECT_TRUE(y >= c.spanTop - 0.5 && y <= c.spanBottom + 0.5) << row;
    }
  }
  EXPECT_EQ(nextRow, 5000);
  EXPECT_EQ(g.columns[1234 * 625 / 5000].high, 4000);  // row i lies in column i * 625 / 5000
  EXPECT_EQ(g.columns[3210 * 625 / 5000].low, 10);
}

TEST(ChartGeometry, FewPacketsGetSeparateBarsFromZero) {
  const ChartGeometry g = ChartGeometry::compute(std::vector<double>{3, -2, 0}, plot(600));
  ASSERT_EQ(g.columns.size(), 3u);
  const int zero = static_cast<int>(std::lround(g.mapValueToY(0)));
  EXPECT_GT(g.columns[1].x, g.columns[0].x + g.columns[0].width);
  EXPECT_EQ(g.columns[0].bottom, zero);
  EXPECT_EQ(g.columns[1].top, zero);
  EXPECT_EQ(g.columns[2].bottom - g.columns[2].top, 1);  // a zero still shows
  EXPECT_EQ(g.rowAt(g.left + 599), 2);
  EXPECT_EQ(g.rowAt(g.left - 1), -1);
  EXPECT_EQ(g.rowAt(g.left + 600), -1);
}

TEST(ChartGeometry, ValueAxisHasRoundStepsAndZero) {
  // low, high -> min, max, step, decimals
  const std::tuple<double, double, double, double, double, int> cases[] = {
      {1200, 2130, 0, 2500, 500, 0},
      {-273.15, 30, -300, 100, 100, 0},
      {0, 0, 0, 1, 0.2, 1},
      {-0.078125, -0.078125, -0.08, 0, 0.02, 2},
      {32768, 32768, 0, 40000, 10000, 0},
      {-110.53, -68.38, -150, 0, 50, 0}};
  for (const auto& [low, high, min, max, step, decimals] : cases) {
    const ChartGeometry::Axis a = ChartGeometry::niceAxis(low, high);
    EXPECT_DOUBLE_EQ(a.min, min) << low;
    EXPECT_DOUBLE_EQ(a.max, max) << low;
    EXPECT_DOUBLE_EQ(a.step, step) << low;
    EXPECT_EQ(a.decimals, decimals) << low;
    EXPECT_NEAR(a.ticks().back(), a.max, 1e-12);
  }
}

TEST(ChartGeometry, LabelsAndTicks) {
  const std::vector<double> values(5000, 1.0);
  const ChartGeometry every = ChartGeometry::compute(values, plot(625, 250, 0));
  ASSERT_EQ(every.labels.size(), 20u);
  ASSERT_EQ(every.ticks.size(), 20u);
  EXPECT_EQ(every.labels[19].row, 4750);
  EXPECT_DOUBLE_EQ(every.ticks[1].x, every.left + 31.25);
  // Labels too wide for their spacing leave some out; the ticks stay.
  const ChartGeometry wide = ChartGeometry::compute(values, plot(625, 250, 30));
  EXPECT_EQ(wide.ticks.size(), 20u);
  ASSERT_EQ(wide.labels.size(), 10u);
  EXPECT_EQ(wide.labels[1].row, 500);

  const std::tuple<int, int, int> automatic[] = {
      {3, 10, 1}, {100, 15, 5}, {100, 30, 10}, {60, 14, 2}};  // rows, label width, divisions
  for (const auto& [rows, labelWidth, divisions] : automatic) {
    EXPECT_EQ(ChartGeometry::autoDivisions(rows, 600, labelWidth), divisions) << rows;
  }
  const ChartGeometry g = ChartGeometry::compute(std::vector<double>(100, 2.0), plot(600, 0, 15));
  EXPECT_EQ(g.labels.size(), 20u);
  EXPECT_EQ(g.ticks.size(), 20u);
}

TEST(TwipScale, WindowSizeAndSharedEdges) {
  EXPECT_EQ(TwipScale(96)(9870), 658);
  EXPECT_EQ(TwipScale(96)(11985), 799);
  EXPECT_EQ(TwipScale(144)(9870), 987);
  EXPECT_EQ(TwipScale(144).rect(120, 0, 3135, 10).right() + 1, TwipScale(144)(3255));
}

}  // namespace
}  // namespace twk
