#include "ui/chart_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "ui/twip_scale.h"

namespace twk {
namespace {

ChartGeometry::Input plot(int width, int labelsEvery = 0, int labelWidth = 0) {
  ChartGeometry::Input in;
  in.left = 40;
  in.top = 10;
  in.width = width;
  in.height = 280;
  in.divisionsPerLabel = labelsEvery;
  in.divisionsPerTick = labelsEvery;
  in.labelWidth = labelWidth;
  return in;
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
  for (std::size_t i = 0; i < g.columns.size(); ++i) {
    const ChartGeometry::Column& c = g.columns[i];
    EXPECT_EQ(c.x, g.left + static_cast<int>(i));
    EXPECT_EQ(c.firstRow, nextRow) << "column " << i;  // rows in order, none skipped
    EXPECT_GE(c.lastRow, c.firstRow);
    nextRow = c.lastRow + 1;
    EXPECT_GE(c.bottom - c.top, 1) << "column " << i;
    for (int row = c.firstRow; row <= c.lastRow; ++row) {
      const double y = g.mapValueToY(values[static_cast<std::size_t>(row)]);
      // Each value lies inside the drawn bar and inside the lowest-to-highest mark.
      EXPECT_GE(y, c.top - 0.5) << row;
      EXPECT_LE(y, c.bottom + 0.5) << row;
      EXPECT_GE(y, c.spanTop - 0.5) << row;
      EXPECT_LE(y, c.spanBottom + 0.5) << row;
    }
  }
  EXPECT_EQ(nextRow, 5000);
  // Row i lies in pixel column i * 625 / 5000.
  EXPECT_EQ(g.columns[1234 * 625 / 5000].high, 4000);
  EXPECT_EQ(g.columns[3210 * 625 / 5000].low, 10);
  EXPECT_EQ(g.columns[624].low, -80);
}

TEST(ChartGeometry, FewPacketsGetSeparateBars) {
  const std::vector<double> values{3, -2, 0};
  const ChartGeometry g = ChartGeometry::compute(values, plot(600));
  ASSERT_EQ(g.columns.size(), 3u);
  const int zero = static_cast<int>(std::lround(g.mapValueToY(0)));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_GT(g.columns[i].width, 100);
    if (i > 0) {
      EXPECT_GT(g.columns[i].x, g.columns[i - 1].x + g.columns[i - 1].width);
    }
  }
  EXPECT_EQ(g.columns[0].bottom, zero);  // positive bars stand on zero
  EXPECT_EQ(g.columns[1].top, zero);     // negative bars hang from it
  EXPECT_EQ(g.columns[2].bottom - g.columns[2].top, 1);
  EXPECT_EQ(g.rowAt(g.left), 0);
  EXPECT_EQ(g.rowAt(g.left + 599), 2);
  EXPECT_EQ(g.rowAt(g.left - 1), -1);
  EXPECT_EQ(g.rowAt(g.left + 600), -1);
}

TEST(ChartGeometry, ValueAxisHasRoundStepsAndZero) {
  struct Case {
    double low, high;
    double min, max, step;
    int decimals;
  };
  const Case cases[] = {
      {1200, 2130, 0, 2500, 500, 0},
      {-273.15, 30, -300, 100, 100, 0},
      {0, 0, 0, 1, 0.2, 1},
      {-0.078125, -0.078125, -0.08, 0, 0.02, 2},
      {5, 5, 0, 5, 1, 0},
      {32768, 32768, 0, 40000, 10000, 0},
      {-110.53, -68.38, -150, 0, 50, 0},
      {0.71, 4.99, 0, 5, 1, 0},
  };
  for (const Case& c : cases) {
    const ChartGeometry::Axis a = ChartGeometry::niceAxis(c.low, c.high);
    EXPECT_DOUBLE_EQ(a.min, c.min) << c.low << ".." << c.high;
    EXPECT_DOUBLE_EQ(a.max, c.max) << c.low << ".." << c.high;
    EXPECT_DOUBLE_EQ(a.step, c.step) << c.low << ".." << c.high;
    EXPECT_EQ(a.decimals, c.decimals) << c.low << ".." << c.high;
    const std::vector<double> ticks = a.ticks();
    EXPECT_NEAR(ticks.front(), a.min, 1e-12);
    EXPECT_NEAR(ticks.back(), a.max, 1e-12);
  }
}

TEST(ChartGeometry, LabelsAndTicksEveryNCategories) {
  const std::vector<double> values(5000, 1.0);
  const ChartGeometry narrow = ChartGeometry::compute(values, plot(625, 250, 0));
  ASSERT_EQ(narrow.labels.size(), 20u);
  ASSERT_EQ(narrow.ticks.size(), 20u);
  for (std::size_t i = 0; i < 20; ++i) {
    EXPECT_EQ(narrow.labels[i].row, static_cast<int>(i) * 250);
    EXPECT_EQ(narrow.ticks[i].row, static_cast<int>(i) * 250);
    EXPECT_DOUBLE_EQ(narrow.ticks[i].x, narrow.left + i * 31.25);
  }
  // Labels too wide for their spacing leave some out; the ticks stay.
  const ChartGeometry wide = ChartGeometry::compute(values, plot(625, 250, 30));
  EXPECT_EQ(wide.ticks.size(), 20u);
  ASSERT_GE(wide.labels.size(), 2u);
  EXPECT_LT(wide.labels.size(), 20u);
  EXPECT_EQ(wide.labels.front().row, 0);
  for (std::size_t i = 1; i < wide.labels.size(); ++i) {
    EXPECT_EQ(wide.labels[i].row % 250, 0);
    EXPECT_GE(wide.labels[i].x - wide.labels[i - 1].x, 30);
  }
}

TEST(ChartGeometry, AutomaticSpacing) {
  struct Case {
    int rows, width, labelWidth, divisions;
  };
  const Case cases[] = {{3, 600, 10, 1},  {100, 600, 15, 5}, {100, 600, 30, 10},
                        {60, 600, 14, 2}, {1, 600, 500, 1},  {100, 625, 0, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(ChartGeometry::autoDivisions(c.rows, c.width, c.labelWidth), c.divisions)
        << c.rows << " rows, label " << c.labelWidth;
  }
  const std::vector<double> values(100, 2.0);
  const ChartGeometry g = ChartGeometry::compute(values, plot(600, 0, 15));
  ASSERT_EQ(g.labels.size(), 20u);
  EXPECT_EQ(g.labels[1].row, 5);
  EXPECT_EQ(g.ticks.size(), 20u);
}

TEST(TwipScale, WindowSizeAtNormalAndDoubleDpi) {
  const TwipScale normal(96);
  EXPECT_EQ(normal(9870), 658);
  EXPECT_EQ(normal(11985), 799);
  EXPECT_EQ(normal(15), 1);
  const TwipScale large(144);
  EXPECT_EQ(large(9870), 987);
  // Neighbouring controls keep their common edge: frames at 120+3135 and 3360 leave a gap.
  EXPECT_EQ(large.rect(120, 0, 3135, 10).right() + 1, large(3255));
  EXPECT_EQ(normal.rect(8400, 11640, 1335, 255), QRect(560, 776, 89, 17));
}

}  // namespace
}  // namespace twk
