#include "ui/chart_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>

namespace twk {
namespace {

// Aims at about five steps on the value axis: enough to read, few enough for a small chart.
constexpr double kTargetSteps = 5.0;
// Air between neighbouring category labels, in pixels.
constexpr double kLabelGap = 6.0;
// The air a fitted axis leaves above the highest and below the lowest value, of their span.
constexpr double kFitAir = 0.05;

}  // namespace

std::vector<double> ChartGeometry::Axis::ticks() const {
  std::vector<double> result;
  const int count = static_cast<int>(std::lround((max - min) / step));
  for (int i = 0; i <= count; ++i) result.push_back(min + i * step);
  return result;
}

ChartGeometry::Axis ChartGeometry::niceAxis(double low, double high) {
  low = std::min(low, 0.0);
  high = std::max(high, 0.0);
  if (!(high > low)) high = low + 1;
  return roundAxis(low, high);
}

ChartGeometry::Axis ChartGeometry::fittedAxis(double low, double high) {
  // A twentieth of the span on either side keeps the extremes off the frame; a constant series
  // gets a twentieth of its size (or 1 around zero), so that it lies in the middle.
  const double span = high - low;
  const double air = span > 0 ? span * kFitAir : (low != 0 ? std::abs(low) * kFitAir : 1.0);
  return roundAxis(low - air, high + air);
}

ChartGeometry::Axis ChartGeometry::valueAxis(std::span<const double> values, Range shown,
                                             bool fitted, const ChartBlocks& blocks) {
  if (values.empty()) return {};
  Range rows{0, static_cast<int>(values.size())};
  if (fitted && shown.count > 0 && shown.last() < rows.count) rows = shown;
  const auto [lowest, highest] = lowAndHigh(values, blocks, rows.first, rows.first + rows.count);
  return fitted ? fittedAxis(lowest, highest) : niceAxis(lowest, highest);
}

void ChartBlocks::fill(std::span<const double> storage, std::size_t from,
                       std::vector<std::pair<double, double>>& blocks) {
  const std::size_t size = kSize;
  blocks.resize((storage.size() + size - 1) / size);
  for (std::size_t b = std::min(from / size, blocks.size()); b < blocks.size(); ++b) {
    blocks[b] = ChartGeometry::lowAndHigh(
        storage.subspan(b * size, std::min(size, storage.size() - b * size)));
  }
}

std::pair<double, double> ChartGeometry::lowAndHigh(std::span<const double> values,
                                                    const ChartBlocks& blocks, std::int64_t first,
                                                    std::int64_t end) {
  const std::int64_t size = ChartBlocks::kSize;
  const auto rows = [&values](std::int64_t from, std::int64_t to) {
    return lowAndHigh(
        values.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
  };
  // The whole blocks inside the rows, and the rows before and after them.
  const std::int64_t firstBlock = (first + blocks.front + size - 1) / size;
  const std::int64_t endBlock = (end + blocks.front) / size;
  if (blocks.ranges.empty() || endBlock - firstBlock < 2) return rows(first, end);
  auto [low, high] = rows(first, firstBlock * size - blocks.front);
  if (firstBlock * size - blocks.front == first) low = high = values[first];
  for (std::int64_t b = firstBlock; b < endBlock; ++b) {
    low = std::min(low, blocks.ranges[static_cast<std::size_t>(b)].first);
    high = std::max(high, blocks.ranges[static_cast<std::size_t>(b)].second);
  }
  if (endBlock * size - blocks.front < end) {
    const auto [l, h] = rows(endBlock * size - blocks.front, end);
    low = std::min(low, l);
    high = std::max(high, h);
  }
  return {low, high};
}

ChartGeometry::Axis ChartGeometry::roundAxis(double low, double high) {
  const double raw = (high - low) / kTargetSteps;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10 * magnitude;
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * magnitude >= raw) {
      step = factor * magnitude;
      break;
    }
  }
  Axis axis;
  axis.step = step;
  // A small tolerance keeps a value that sits on a step (3000 with steps of 500) from getting
  // one more step from a rounding error of the division.
  axis.min = std::floor(low / step + 1e-9) * step;
  axis.max = std::ceil(high / step - 1e-9) * step;
  axis.decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  return axis;
}

int ChartGeometry::autoDivisions(int rowCount, int width, int labelWidth) {
  if (rowCount <= 0 || width <= 0) return 1;
  const double categoryWidth = static_cast<double>(width) / rowCount;
  const double needed = labelWidth + kLabelGap;
  for (std::int64_t magnitude = 1;; magnitude *= 10) {
    for (const std::int64_t factor : {1, 2, 5}) {
      const std::int64_t step = factor * magnitude;
      if (step * categoryWidth >= needed || step >= rowCount) return static_cast<int>(step);
    }
  }
}

int ChartGeometry::categorySpacing(int rowsShown) {
  // The default rounding mode rounds halves to even: 130 rows give 6, 150 give 8.
  return rowsShown > 100 ? static_cast<int>(std::nearbyint(rowsShown / 20.0)) : 0;
}

ChartGeometry::Range ChartGeometry::zoomed(Range shown, int rowCount, double anchorFraction,
                                           double factor, int minRows) {
  if (rowCount <= 0) return {};
  anchorFraction = std::clamp(anchorFraction, 0.0, 1.0);
  const double anchor = shown.first + anchorFraction * shown.count;
  const int count = std::clamp(static_cast<int>(std::lround(shown.count * factor)),
                               std::min(minRows, rowCount), rowCount);
  const int first = static_cast<int>(std::lround(anchor - anchorFraction * count));
  return {std::clamp(first, 0, rowCount - count), count};
}

ChartGeometry::Range ChartGeometry::panned(Range shown, int rowCount, int rows) {
  const int count = std::clamp(shown.count, 0, std::max(rowCount, 0));
  return {std::clamp(shown.first + rows, 0, std::max(rowCount - count, 0)), count};
}

ChartGeometry::Range ChartGeometry::revealing(Range shown, int rowCount, int row) {
  if (row < shown.first) return panned(shown, rowCount, row - shown.first);
  if (row > shown.last()) return panned(shown, rowCount, row - shown.last());
  return shown;
}

double ChartGeometry::mapValueToY(double value) const {
  return top + (axis.max - value) / (axis.max - axis.min) * height;
}

double ChartGeometry::mapOverlayToY(double value) const {
  return top + (overlayAxis.max - value) / (overlayAxis.max - overlayAxis.min) * height;
}

int ChartGeometry::rowAt(double x) const {
  if (shown.count <= 0 || x < left || x >= left + width) return -1;
  // The inverse of the pixel columns compute() gives the rows.
  const auto px = static_cast<std::int64_t>(std::floor(x - left));
  const std::int64_t n = shown.count;
  const std::int64_t w = width;
  // More rows than pixels: the first row of the column; otherwise the row whose column it is.
  const std::int64_t row = n > w ? (px * n + w - 1) / w : ((px + 1) * n + w - 1) / w - 1;
  return shown.first + static_cast<int>(std::clamp<std::int64_t>(row, 0, n - 1));
}

int ChartGeometry::xOfRow(int row) const {
  if (row < shown.first || row > shown.last()) return -1;
  // The same pixel columns compute() gives the row's bar.
  const std::int64_t i = row - shown.first;
  const std::int64_t n = shown.count;
  const std::int64_t w = width;
  if (n > w) return left + static_cast<int>(i * w / n);
  return left + static_cast<int>((i * w / n + (i + 1) * w / n) / 2);
}

ChartGeometry::Range ChartGeometry::shownRows(Range shown, int rowCount) {
  const Range rows = shown.count > 0 ? panned(shown, rowCount, 0) : Range{0, rowCount};
  return rows.count > 0 ? rows : Range{0, rowCount};
}

std::pair<double, double> ChartGeometry::lowAndHigh(std::span<const double> values) {
  // Plain minimum and maximum, which the compiler does several at a time.
  double low = values.empty() ? 0.0 : values.front();
  double high = low;
  for (const double v : values) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  return {low, high};
}

namespace {

// The columns of a series in the pixel columns of the rows shown; toY maps its values, and a
// fitted series covers its values' band only, where bars reach from zero.
template <typename ToY>
std::vector<ChartGeometry::Column> columnsOf(const ChartGeometry& g, std::span<const double> series,
                                             const ChartBlocks& blocks, bool fitted, ToY toY) {
  using Column = ChartGeometry::Column;
  const std::int64_t n = g.shown.count;
  const std::int64_t w = g.width;
  std::vector<Column> columns;
  const auto finish = [&](Column& c) {
    c.top = toY(fitted ? c.high : std::max(c.high, 0.0));
    c.bottom = toY(fitted ? c.low : std::min(c.low, 0.0));
    c.spanTop = toY(c.high);
    c.spanBottom = toY(c.low);
    // A bar of zero height still shows where its packet is.
    if (c.bottom <= c.top) c.bottom = c.top + 1;
    if (c.spanBottom <= c.spanTop) c.spanBottom = c.spanTop + 1;
    columns.push_back(c);
  };
  const std::span<const double> rows = series.subspan(static_cast<std::size_t>(g.shown.first),
                                                      static_cast<std::size_t>(g.shown.count));
  if (n <= w) {
    // Every row gets its own bar with a gap to its neighbours once there is room for one. The
    // gap is the same for all bars: where only some had one, bars would seem to merge.
    columns.reserve(rows.size());
    const int gap = static_cast<int>(w / n / 5);
    for (std::int64_t i = 0; i < n; ++i) {
      const int x0 = g.left + static_cast<int>(i * w / n);
      const int x1 = g.left + static_cast<int>((i + 1) * w / n);
      Column c;
      c.x = x0 + gap / 2;
      c.width = std::max(x1 - x0 - gap, 1);
      c.firstRow = c.lastRow = g.shown.first + static_cast<int>(i);
      c.low = c.high = rows[static_cast<std::size_t>(i)];
      finish(c);
    }
    return columns;
  }
  // More rows than pixels: row i lies in pixel column i * w / n, so every column holds at least
  // one row and each row exactly one column.
  columns.reserve(static_cast<std::size_t>(w));
  std::int64_t row = 0;
  for (std::int64_t x = 0; x < w; ++x) {
    Column c;
    c.x = g.left + static_cast<int>(x);
    c.firstRow = g.shown.first + static_cast<int>(row);
    // The rows with row * w / n == x, found without a division per row: a million rows are
    // charted on each paint of a followed log.
    const std::int64_t end = std::min(n, ((x + 1) * n + w - 1) / w);
    std::tie(c.low, c.high) =
        ChartGeometry::lowAndHigh(series, blocks, g.shown.first + row, g.shown.first + end);
    row = end;
    c.lastRow = g.shown.first + static_cast<int>(row - 1);
    finish(c);
  }
  return columns;
}

// What lies beyond a limit: above a high one from the limit up, below a low one down. A bar is
// coloured where it passes the limit; a fitted line gets the area between limit and value.
void addBeyondStrips(ChartGeometry& g) {
  const auto pixelY = [&g](double v) { return static_cast<int>(std::lround(g.mapValueToY(v))); };
  for (const bool red : {false, true}) {
    const std::optional<double> low = red ? g.limits.redLow : g.limits.yellowLow;
    const std::optional<double> high = red ? g.limits.redHigh : g.limits.yellowHigh;
    if (!low && !high) continue;
    for (const ChartGeometry::Column& c : g.columns) {
      const double bottom = g.fitted ? c.low : std::min(c.low, 0.0);
      const double top = g.fitted ? c.high : std::max(c.high, 0.0);
      const auto strip = [&](double from, double to) {
        const int y0 = pixelY(to);
        g.beyond.push_back({c.x, c.width, y0, std::max(pixelY(from), y0 + 1), red});
      };
      if (high && c.high > *high) strip(g.fitted ? *high : std::max(*high, bottom), top);
      if (low && c.low < *low) strip(bottom, g.fitted ? *low : std::min(*low, top));
    }
  }
}

// The category labels and ticks, every so many rows.
void addCategories(ChartGeometry& g, const ChartGeometry::Input& input) {
  const int labelStep = input.divisionsPerLabel > 0 ? input.divisionsPerLabel
                                                    : ChartGeometry::autoDivisions(
                                                          g.shown.count, g.width, input.labelWidth);
  const int tickStep = input.divisionsPerTick > 0 ? input.divisionsPerTick : labelStep;
  const double categoryWidth = static_cast<double>(g.width) / g.shown.count;
  // Labels and ticks stay on the same rows while the user pans: every step-th row of all.
  const auto firstOf = [&g](int step) { return (g.shown.first + step - 1) / step * step; };
  // A label that would run into the one before it is left out; its tick stays.
  double freeFrom = g.left - input.labelWidth;
  for (int k = firstOf(labelStep); k <= g.shown.last(); k += labelStep) {
    const double x = g.left + (k - g.shown.first + 0.5) * categoryWidth;
    if (x - input.labelWidth / 2.0 < freeFrom) continue;
    g.labels.push_back({k, x});
    freeFrom = x + input.labelWidth / 2.0 + kLabelGap;
  }
  for (int k = firstOf(tickStep); k <= g.shown.last(); k += tickStep) {
    g.ticks.push_back({k, g.left + (k - g.shown.first) * categoryWidth});
  }
}

}  // namespace

ChartGeometry ChartGeometry::compute(std::span<const double> values, const Input& input) {
  ChartGeometry g;
  g.left = input.left;
  g.top = input.top;
  g.width = std::max(input.width, 1);
  g.height = std::max(input.height, 1);
  g.rowCount = static_cast<int>(values.size());
  if (values.empty()) return g;
  g.shown = shownRows(input.shown, g.rowCount);
  g.fitted = input.fitted;
  g.limits = input.limits;
  g.axis = input.axis ? *input.axis : valueAxis(values, g.shown, g.fitted, input.blocks);
  g.columns = columnsOf(g, values, input.blocks, g.fitted,
                        [&g](double v) { return static_cast<int>(std::lround(g.mapValueToY(v))); });
  if (input.overlay.size() == values.size()) {
    g.overlayAxis = valueAxis(input.overlay, g.shown, g.fitted, input.overlayBlocks);
    // Drawn as a line whatever the first series is drawn as: bars of two series would hide
    // each other.
    g.overlayColumns = columnsOf(g, input.overlay, input.overlayBlocks, true, [&g](double v) {
      return static_cast<int>(std::lround(g.mapOverlayToY(v)));
    });
  }
  addBeyondStrips(g);
  addCategories(g, input);
  return g;
}

int ChartGeometry::labelLeft(double x, int textWidth, int chartWidth) {
  const int centred = static_cast<int>(x) - textWidth / 2;
  return std::max(std::min(centred, chartWidth - textWidth), 0);
}

}  // namespace twk
