// The window at sizes other than its own, and moving through the packets and the chart by
// keyboard and mouse.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <map>
#include <set>

#include "app/shell_fixture.h"
#include "ui/bar_chart.h"

namespace twk {
namespace {

// Places from the window's layout table in twips, relative to the container; frames are named
// by their caption.
struct Place {
  const char* name;
  int left, top, width, height;
};
// clang-format off
const Place kTable[] = {
    {"RichTextBox1", 120, 120, 9615, 1815},   {"", 120, 2040, 6375, 615},
    {"Solar Arrays Currents", 6600, 2040, 3135, 2055}, {"Battery A", 120, 2760, 3135, 1815},
    {"Battery B", 3360, 2760, 3135, 1815},    {"COMM", 6600, 4200, 3135, 2055},
    {"Regulator", 120, 4680, 3135, 1575},     {"Temperatures", 3360, 4680, 3135, 1575},
    {"Frame8", 120, 6360, 9615, 5175},        {"MSChart1", 120, 360, 9375, 4695},
    {"Label3", 120, 11640, 6975, 255},        {"Label2", 7320, 11640, 975, 255},
    {"HScroll1", 8400, 11640, 1335, 255}};
// clang-format on
int px(int twips) {  // at 96 dpi
  return static_cast<int>(std::lround(twips / 15.0));
}

class WindowFit : public test::ShellTest {
 protected:
  QWidget* placed(const char* name) const {
    for (auto* frame : m_window.findChildren<QGroupBox*>()) {
      if (frame->objectName().isEmpty() && frame->title() == QLatin1String(name)) return frame;
    }
    return control<QWidget>(QLatin1String(name));
  }
  // Within the client area.
  QRect in(const char* name) const {
    QWidget* w = placed(name);
    return QRect(w->mapTo(m_window.centralWidget(), QPoint()), w->size());
  }
  // The places of the window's controls, not of the parts inside a scrolling view.
  std::map<QWidget*, QRect> geometries() const {
    std::map<QWidget*, QRect> all;
    for (QWidget* w : m_window.centralWidget()->findChildren<QWidget*>()) {
      bool inside = false;
      for (QWidget* up = w->parentWidget(); up != nullptr; up = up->parentWidget()) {
        inside = inside || qobject_cast<QAbstractScrollArea*>(up) != nullptr;
      }
      if (!inside) all[w] = w->geometry();
    }
    return all;
  }
  void resizeClient(QSize size) {
    m_window.resize(size + m_window.size() - m_window.centralWidget()->size());
    QApplication::processEvents();
  }
  void wheel(QWidget* target, QPoint at, int delta, Qt::KeyboardModifiers modifiers = {}) {
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  }
  int packet() const { return scroll()->value(); }
};

TEST_F(WindowFit, DefaultSizeIsTheLayoutTableAndEveryResizeComesBackToIt) {
  ASSERT_EQ(m_window.logicalDpiX(), 96) << "the table is converted for 96 dpi";
  open({test::generatedLog(342, 7)});
  const QSize standard(px(9870), px(11985));
  EXPECT_EQ(m_window.centralWidget()->size(), standard);
  for (const Place& p : kTable) {
    EXPECT_EQ(placed(p.name)->geometry(),
              QRect(QPoint(px(p.left), px(p.top)),
                    QPoint(px(p.left + p.width) - 1, px(p.top + p.height) - 1)))
        << p.name;
  }
  QApplication::processEvents();
  const auto before = geometries();
  const QImage picture = m_window.grab().toImage();
  const auto old = [&](const char* name) { return before.at(placed(name)); };

  // Larger: the width goes to the log, the chart and the scroll bar, the height to the chart;
  // the panel keeps its place, the bottom row stays at the bottom.
  resizeClient({1920, 1040});
  const int dw = 1920 - standard.width();
  for (const char* name : {"RichTextBox1", "Frame8", "MSChart1", "HScroll1"}) {
    EXPECT_EQ(placed(name)->width(), old(name).width() + dw) << name;
  }
  EXPECT_EQ(placed("MSChart1")->height(), old("MSChart1").height() + 1040 - standard.height());
  EXPECT_GE(chart()->geometry().width, 1700);
  for (const char* name : {"", "Battery A", "COMM", "Temperatures", "Label3", "Label2"}) {
    EXPECT_EQ(placed(name)->size(), old(name).size()) << name;
  }
  EXPECT_EQ(in("HScroll1").x() - in("Label2").x(), old("HScroll1").x() - old("Label2").x());
  EXPECT_EQ(in("HScroll1").right(), in("RichTextBox1").right());
  EXPECT_EQ(1040 - in("HScroll1").bottom(), standard.height() - old("HScroll1").bottom());
  EXPECT_EQ(in("Label3").y(), in("HScroll1").y());

  // Smaller: the chart gives way first, then the log view; nothing runs into its neighbour.
  resizeClient({standard.width(), standard.height() - 100});
  EXPECT_EQ(placed("RichTextBox1")->height(), old("RichTextBox1").height());
  EXPECT_EQ(placed("MSChart1")->height(), old("MSChart1").height() - 100);
  resizeClient({100, 100});
  EXPECT_EQ(m_window.centralWidget()->width(), standard.width());
  EXPECT_LT(placed("RichTextBox1")->height(), old("RichTextBox1").height());
  EXPECT_NEAR(placed("MSChart1")->height(), 120, 20);
  EXPECT_LT(in("COMM").bottom(), in("Frame8").top());
  EXPECT_LT(in("Frame8").bottom(), in("HScroll1").top());
  EXPECT_LE(in("HScroll1").bottom(), m_window.centralWidget()->height());

  resizeClient(standard);
  EXPECT_EQ(geometries(), before);
  EXPECT_EQ(m_window.grab().toImage(), picture);

  // On a screen smaller than the window every control is on screen.
  const QRect screen = m_window.screen()->availableGeometry();
  ASSERT_LT(screen.height(), m_window.height()) << "the offscreen screen is taller than usual";
  m_window.fitToScreen();
  QApplication::processEvents();
  EXPECT_TRUE(screen.contains(m_window.frameGeometry()));
  EXPECT_LE(in("HScroll1").bottom(), m_window.centralWidget()->height());
}

TEST_F(WindowFit, KeysWheelAndTabMoveThroughThePackets) {
  open({test::generatedLog(342, 7)});
  // key -> packet after it, from packet 1; a page is 342 / 20 = 17 packets
  const std::pair<Qt::Key, int> keys[] = {
      {Qt::Key_End, 342},  {Qt::Key_Home, 1},    {Qt::Key_PageDown, 18}, {Qt::Key_PageDown, 35},
      {Qt::Key_Right, 36}, {Qt::Key_PageUp, 19}, {Qt::Key_Left, 18},     {Qt::Key_PageUp, 1}};
  for (const auto& [key, expected] : keys) {
    QTest::keyClick(scroll(), key);
    EXPECT_EQ(label("Label2"), QStringLiteral("%1/342").arg(expected)) << key;
  }
  // Over the scroll bar and the chart, down (a negative delta) is later, one per notch, also
  // in the small steps of a high-resolution wheel.
  scroll()->setValue(100);
  const QPoint onChart = chart()->rect().center();
  const std::tuple<QWidget*, std::vector<int>, int> turns[] = {{scroll(), {-120}, 101},
                                                               {chart(), {-120}, 102},
                                                               {chart(), {360}, 99},
                                                               {scroll(), {240}, 97},
                                                               {chart(), {-40, -40, -40}, 98}};
  for (const auto& [target, deltas, expected] : turns) {
    for (const int d : deltas) wheel(target, target == chart() ? onChart : QPoint(5, 5), d);
    EXPECT_EQ(packet(), expected) << target->objectName().toStdString() << deltas[0];
  }

  // Tab: the log view, every visible option button and value field once, frame by frame in
  // reading order and top to bottom within a frame, then the scroll bar.
  m_window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
  m_window.RichTextBox1()->setFocus();
  std::vector<QWidget*> order{QApplication::focusWidget()};
  for (int i = 0; i < 100; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == order.front()) break;
    order.push_back(QApplication::focusWidget());
  }
  ASSERT_EQ(order.front()->objectName(), "RichTextBox1");
  ASSERT_EQ(order.back(), scroll());
  std::set<QWidget*> seen(order.begin(), order.end());
  EXPECT_EQ(seen.size(), order.size());
  for (int n = 0; n <= 29; ++n) {
    EXPECT_EQ(seen.count(control<QWidget>(QStringLiteral("Text1(%1)").arg(n))), 1u) << n;
    EXPECT_EQ(seen.count(control<QWidget>(QStringLiteral("Option1(%1)").arg(n))), n > 0 ? 1u : 0u);
  }
  const auto reading = [this](QWidget* w) {
    const QPoint frame = w->parentWidget()->mapTo(m_window.centralWidget(), QPoint());
    return std::tuple(frame.y(), frame.x(), w->y(), w->x());
  };
  for (std::size_t i = 2; i + 1 < order.size(); ++i) {
    EXPECT_LT(reading(order[i - 1]), reading(order[i])) << order[i]->objectName().toStdString();
  }
}

TEST_F(WindowFit, MarkerZoomPanAndReset) {
  open({test::generatedLog(5000, 11)});
  const ChartGeometry& g = chart()->geometry();
  EXPECT_EQ(chart()->markerRow(), 1);  // every load shows packet 1
  // The marker is drawn on the packet shown, and only there.
  scroll()->setValue(10);
  const QImage at10 = chart()->grab().toImage();
  scroll()->setValue(2059);
  const QImage at2059 = chart()->grab().toImage();
  std::set<int> changed;
  for (int y = 0; y < at10.height(); ++y) {
    for (int x = 0; x < at10.width(); ++x) {
      if (at10.pixel(x, y) != at2059.pixel(x, y)) changed.insert(x);
    }
  }
  EXPECT_EQ(changed, (std::set<int>{g.xOfRow(9), g.xOfRow(2058)}));

  // Ctrl+wheel away from the user zooms in around the mouse; the label spacing follows.
  const QPoint at(g.xOfRow(2058), g.top + 10);
  const double rowsPerPixel = 5000.0 / g.width;
  for (int i = 0; i < 10; ++i) wheel(chart(), at, 120, Qt::ControlModifier);
  const int shown = chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1;
  EXPECT_LT(shown, 1000);
  EXPECT_NEAR(chart()->rowAt(at), 2059, rowsPerPixel + 1);
  EXPECT_EQ(chart()->divisionsPerLabel(), static_cast<int>(std::nearbyint(shown / 20.0)));
  EXPECT_EQ(packet(), 2059);

  // A drag pans without choosing a packet; a click without one chooses the packet under it.
  const int first = chart()->firstVisibleRow();
  QTest::mousePress(chart(), Qt::LeftButton, {}, at);
  QTest::mouseMove(chart(), at + QPoint(200, 0));
  QTest::mouseRelease(chart(), Qt::LeftButton, {}, at + QPoint(200, 0));
  EXPECT_NEAR(chart()->firstVisibleRow(), first - 200.0 * shown / g.width, 1.0);
  EXPECT_EQ(packet(), 2059);
  QTest::mouseClick(chart(), Qt::LeftButton, {}, at);
  EXPECT_EQ(packet(), chart()->rowAt(at));
  // A packet outside the range brings the range to it.
  scroll()->setValue(4990);
  EXPECT_GE(chart()->lastVisibleRow(), 4990);
  EXPECT_EQ(chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1, shown);

  // Rows added to a zoomed chart: a range that shows the end moves on with it, others stay.
  const std::vector<double> more(10, 1.0);
  const QStringList labels(10, QStringLiteral("new"));
  const std::tuple<int, int, int, int> appends[] = {{4001, 5000, 4011, 5010}, {1, 500, 1, 500}};
  for (const auto& [first, last, firstAfter, lastAfter] : appends) {
    chart()->setVisibleRows(first, last);
    chart()->appendRows(labels, more);
    EXPECT_EQ(std::pair(chart()->firstVisibleRow(), chart()->lastVisibleRow()),
              std::pair(firstAfter, lastAfter));
  }

  QTest::mouseDClick(chart(), Qt::LeftButton, {}, at);
  EXPECT_FALSE(chart()->isZoomed());
  EXPECT_EQ(chart()->divisionsPerLabel(), 251);  // 5020 rows
}

TEST_F(WindowFit, CopyAndSaveTheChart) {
  open({test::generatedLog(342, 7)});
  control<QAbstractButton>("Option1(25)")->click();
  QString suggested;
  QString target;
  chart()->setSaveChooser([&](const QString& s) {
    suggested = s;
    return target;
  });
  const QImage shown = chart()->picture();
  control<QAction>("CopyChart")->trigger();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), shown);

  for (const char* name : {"chart.png", "chart.svg"}) {
    target = QString::fromStdString(m_dir.file(name));
    control<QAction>("SaveChartAs")->trigger();
    QImage saved(shown.size(), QImage::Format_RGB32);
    if (target.endsWith(".svg")) {
      QSvgRenderer svg(target);
      ASSERT_TRUE(svg.isValid()) << name;
      QPainter painter(&saved);
      svg.render(&painter);
    } else {
      QImageReader png(target);
      EXPECT_EQ(png.format(), "png");
      saved = png.read().convertToFormat(QImage::Format_RGB32);
    }
    ASSERT_EQ(saved.size(), shown.size()) << name;
    // The same picture; drawn from the vector form, edges may be shaded differently.
    int same = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) same += saved.pixel(x, y) == shown.pixel(x, y);
    }
    EXPECT_GT(same, shown.width() * shown.height() * 95 / 100) << name;
  }
  EXPECT_EQ(QFileInfo(suggested).fileName(), "RSSI [dB].png");
  EXPECT_EQ(QFileInfo(suggested).absolutePath(),
            QFileInfo(QString::fromStdString(test::generatedLog(342, 7))).absolutePath());
  EXPECT_EQ(BarChart::fileNameFor("a/b\\c:d*e?f\"g<h>i|j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
}

}  // namespace
}  // namespace twk
