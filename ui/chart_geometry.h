#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "telemetry/channel_limits.h"

namespace twk {

// The lowest and highest value of each kSize consecutive rows of a series, so that a chart
// column of many rows costs a few blocks instead of every row: a million rows are charted on
// each paint of a followed log. Block 0 starts front rows before the series' first row.
struct ChartBlocks {
  static constexpr int kSize = 64;
  std::span<const std::pair<double, double>> ranges;
  int front = 0;

  // Brings blocks up to date with storage from its value from on (those before are kept).
  static void fill(std::span<const double> storage, std::size_t from,
                   std::vector<std::pair<double, double>>& blocks);
};

// Where the bar chart draws what: pixel positions of the bars, the category labels and ticks
// and the value axis, computed from the values alone so that it can be checked without a
// screen. Rows are 0-based here; the chart's row k is the packet of its row label k + 1. The
// plot shows a range of consecutive rows, all of them unless the user zoomed in.
struct ChartGeometry {
  // Consecutive rows: the first one and how many.
  struct Range {
    int first = 0;
    int count = 0;
    int last() const { return first + count - 1; }
    bool operator==(const Range&) const = default;
  };

  // A value axis with round steps: from zero for bars, around the values for a fitted chart.
  struct Axis {
    double min = 0;
    double max = 1;
    double step = 1;
    int decimals = 0;  // digits after the separator that the step needs

    std::vector<double> ticks() const;
  };

  // One drawn column. Where several rows share a pixel column the column spans the union of
  // their bars (zero to the extreme values), and [spanTop, spanBottom] marks the lowest to the
  // highest value inside it, so a one-row spike in either direction stays visible.
  struct Column {
    int x = 0;
    int width = 1;
    int firstRow = 0;
    int lastRow = 0;
    double low = 0;   // lowest value of the rows
    double high = 0;  // highest value of the rows
    int top = 0;      // pixel rows covered by the bars, top <= bottom, at least one pixel
    int bottom = 0;
    int spanTop = 0;  // pixel rows from the highest to the lowest value
    int spanBottom = 0;
  };

  // A category label or tick: the row it belongs to and its x position.
  struct Mark {
    int row = 0;
    double x = 0;
  };

  // What the chart is told: the plot area in pixels, the category spacing (0 = automatic), the
  // width of the widest category label for the automatic spacing and the rows to show (a count
  // of 0 shows all).
  struct Input {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int divisionsPerLabel = 0;
    int divisionsPerTick = 0;
    int labelWidth = 0;
    Range shown;
    // Fitted to the values shown, drawn as a line with a band, instead of bars from zero.
    bool fitted = false;
    ChannelLimits limits = {};
    // The value axis where the caller has worked it out already: it is a scan of every value
    // shown, a million on each paint of a followed log.
    std::optional<Axis> axis = {};
    // A second series over the same rows, drawn as a line on its own value axis at the right;
    // empty for none.
    std::span<const double> overlay = {};
    // The blocks of each series, where the caller keeps them; none: every row is looked at.
    ChartBlocks blocks = {};
    ChartBlocks overlayBlocks = {};
  };

  // The part of a column's bar (or band) beyond a limit, drawn in the limit's colour; a red
  // strip lies over the yellow one of the same column.
  struct Strip {
    int x = 0;
    int width = 1;
    int top = 0;
    int bottom = 0;  // top < bottom
    bool red = false;
  };

  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int rowCount = 0;  // all rows, shown or not
  Range shown;       // the rows the plot shows
  // Bars: over all rows, so that it stays put while the user zooms and pans. Fitted: over the
  // rows shown, so that a zoom shows their small changes.
  Axis axis;
  bool fitted = false;
  ChannelLimits limits;
  std::vector<Column> columns;
  std::vector<Mark> labels;
  std::vector<Mark> ticks;
  std::vector<Strip> beyond;  // yellow strips first, then red
  // The second series: its axis follows the same rule as the first one's, and its columns
  // (in the same pixel columns) cover the band of its values on that axis. No columns: none.
  Axis overlayAxis;
  std::vector<Column> overlayColumns;

  static Axis niceAxis(double low, double high);
  // About five round steps (1, 2 or 5 times a power of ten) from low to high, both included.
  static Axis roundAxis(double low, double high);
  // Round steps around low..high with a little air at both ends, zero or not; a constant
  // series gets an axis around its value.
  static Axis fittedAxis(double low, double high);
  // The axis compute() gives these values for the rows shown.
  static Axis valueAxis(std::span<const double> values, Range shown, bool fitted,
                        const ChartBlocks& blocks = {});
  // The rows a chart of rowCount rows shows for a zoom of shown (none: all of them).
  static Range shownRows(Range shown, int rowCount);
  // The lowest and the highest value, (0, 0) for none.
  static std::pair<double, double> lowAndHigh(std::span<const double> values);
  // The same of rows first to end (excluded, first < end), with the blocks where given.
  static std::pair<double, double> lowAndHigh(std::span<const double> values,
                                              const ChartBlocks& blocks, std::int64_t first,
                                              std::int64_t end);
  static ChartGeometry compute(std::span<const double> values, const Input& input);
  // The automatic spacing: the smallest of 1, 2, 5, 10, 20, 50, ... categories that leaves
  // room for a label of labelWidth pixels.
  static int autoDivisions(int rowCount, int width, int labelWidth);

  // The label and tick spacing for a number of rows shown: above 100 rows a label and a tick
  // every rows / 20 rounded half to even, otherwise 0 for the automatic spacing.
  static int categorySpacing(int rowsShown);
  // The range after zooming by factor (below 1 shows fewer rows) around the row at
  // anchorFraction (0 to 1) of the plot's width, which stays where it is; at least minRows and
  // at most all rowCount rows.
  static Range zoomed(Range shown, int rowCount, double anchorFraction, double factor, int minRows);
  // The range moved by rows (positive towards the end), kept inside 0..rowCount-1.
  static Range panned(Range shown, int rowCount, int rows);
  // The smallest move of shown that brings row into it.
  static Range revealing(Range shown, int rowCount, int row);
  // The left edge of a category label textWidth wide, centred on x where the chart's width
  // allows, else moved inside it: the first and last labels stay whole.
  static int labelLeft(double x, int textWidth, int chartWidth);

  double mapValueToY(double value) const;
  double mapOverlayToY(double value) const;
  // The row under pixel column x, -1 outside the plot or without rows.
  int rowAt(double x) const;
  // The middle of the pixel column that draws row, for the marker; -1 when row is not shown.
  int xOfRow(int row) const;
};

}  // namespace twk
