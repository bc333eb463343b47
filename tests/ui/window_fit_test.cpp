// The window at sizes other than its own, and moving through the packets and the chart by
// keyboard and mouse.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>
#include <csignal>
#include <cstring>
#include <map>
#include <set>

#include "ui/bar_chart.h"
#include "ui/client_area.h"
#include "ui/eliding_label.h"
#include "window_driver.h"

namespace twk {
namespace {

// The controls that the window places, frames named by their caption, and how each takes a
// size other than the default: a wider window widens the log view, the chart and the scroll bar
// (w); a taller one makes the chart taller (h).
// clang-format off
const std::pair<const char*, const char*> kGrows[] = {
    {"logView", "w"}, {"", ""}, {"Solar Arrays Currents", ""}, {"Battery A", ""},
    {"Battery B", ""}, {"COMM", ""}, {"Regulator", ""}, {"Temperatures", ""}, {"chartFrame", "wh"},
    {"chart", "wh"}, {"fileLabel", ""}, {"packetLabel", ""}, {"packetScrollBar", "w"}};
// clang-format on

class WindowFit : public test::WindowTest {
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
  void resizeClient(QSize size) {
    m_window.resize(size + m_window.size() - m_window.centralWidget()->size());
    QApplication::processEvents();
  }
  int packet() const { return scroll()->value(); }
  // How many pixels of a and b differ, in the part of b that a covers.
  static int differing(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
      for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    }
    return n;
  }
};

// The window opens at the size it was laid out for; at any other size each control takes the
// difference by its role, and back at that size every control is where it was.
TEST_F(WindowFit, OtherSizesShareTheDifferenceFromTheDefault) {
  open({test::generatedLog(342, 7)});
  const auto* client = static_cast<const ClientArea*>(m_window.centralWidget());
  const QSize standard = client->sizeHint();
  ASSERT_EQ(client->size(), standard);
  std::map<std::string, QRect> laid;
  for (const auto& [name, grows] : kGrows) laid[name] = placed(name)->geometry();
  // The panel's frames lie within the area and clear of each other.
  for (const auto& [name, grows] : kGrows) {
    if (placed(name)->parentWidget() != placed("logView")->parentWidget()) continue;
    EXPECT_TRUE(QRect(QPoint(), standard).contains(laid[name])) << name;
    for (const auto& [other, otherGrows] : kGrows) {
      if (std::strcmp(name, other) < 0 &&
          placed(other)->parentWidget() == placed(name)->parentWidget()) {
        EXPECT_FALSE(laid[name].intersects(laid[other])) << name << " and " << other;
      }
    }
  }
  const auto expectShared = [&](QSize size) {
    EXPECT_EQ(m_window.centralWidget()->size(), size);
    const QSize more = size - standard;
    for (const auto& [name, grows] : kGrows) {
      const bool wide = std::strchr(grows, 'w') != nullptr;
      const bool tall = std::strchr(grows, 'h') != nullptr;
      EXPECT_EQ(placed(name)->size(),
                laid[name].size() + QSize(wide ? more.width() : 0, tall ? more.height() : 0))
          << name;
      if (more.isNull()) {
        EXPECT_EQ(placed(name)->geometry(), laid[name]) << name;
      }
    }
  };
  const QRect scrollBar = in("packetScrollBar");
  const QRect position = in("packetLabel");
  const int logHeight = placed("logView")->height();
  const int chartHeight = placed("chart")->height();

  // Larger: the bottom row stays at the bottom, the position label beside the scroll bar.
  onScreen(chart());  // painted at the default size first
  resizeClient({1920, 1040});
  expectShared({1920, 1040});
  EXPECT_GE(chart()->geometry().width, 1700);
  // The chart on the screen is drawn anew at its new size: a saved picture below its title,
  // but for the marker.
  const QImage saved = chartPicture(*chart()).convertToFormat(QImage::Format_RGB32);
  const QImage drawn = onScreen(chart());
  EXPECT_LE(differing(drawn, saved.copy(0, saved.height() - drawn.height(), drawn.width(),
                                        drawn.height())),
            drawn.height());
  EXPECT_EQ(in("packetScrollBar").x() - in("packetLabel").x(), scrollBar.x() - position.x());
  EXPECT_EQ(in("packetScrollBar").right(), in("logView").right());
  EXPECT_EQ(1040 - in("packetScrollBar").bottom(), standard.height() - scrollBar.bottom());
  EXPECT_EQ(in("fileLabel").y(), in("packetScrollBar").y());
  EXPECT_FALSE(QRect(0, 0, 1920, 1040).intersects(in("valueField(30)")));  // kept out of sight

  // Smaller: the chart gives way first, then the log view, down to the least size; nothing
  // runs into its neighbour.
  resizeClient({standard.width(), standard.height() - 100});
  EXPECT_EQ(placed("logView")->height(), logHeight);
  EXPECT_EQ(placed("chart")->height(), chartHeight - 100);
  resizeClient(client->leastSize());
  const int lessLog = logHeight - placed("logView")->height();
  const int lessChart = chartHeight - placed("chart")->height();
  EXPECT_GT(lessLog, 0);
  EXPECT_GT(lessChart, 100);
  EXPECT_EQ(lessLog + lessChart, standard.height() - client->leastSize().height());
  EXPECT_LT(in("COMM").bottom(), in("chartFrame").top());
  EXPECT_LT(in("chartFrame").bottom(), in("packetScrollBar").top());
  resizeClient(standard);
  expectShared(standard);
}

// Below the least size the panel scrolls while the bottom row stays whole at the bottom edge and
// works; the window fits a screen smaller than that. Run once more where the offscreen screen is
// 400x300 (QT_SCALE_FACTOR=2).
TEST_F(WindowFit, OnASmallScreenTheBottomRowStaysInView) {
  open({test::generatedLog(342, 7)});
  // The gap between the scroll bar and the bottom edge at the default size.
  resizeClient(m_window.centralWidget()->sizeHint());
  const int gap = m_window.centralWidget()->height() - 1 - in("packetScrollBar").bottom();
  // The packet label of a long followed log takes room from the file label, then gives it back.
  auto* numbers = control<QLabel>("packetLabel");
  const QRect packets = in("packetLabel");
  for (const char* text : {"1234567/1234567", "6/342"}) {
    numbers->setText(text);
    QApplication::processEvents();
    EXPECT_EQ(in("packetLabel").right(), packets.right()) << text;
    EXPECT_EQ(in("packetLabel").width(), std::max(packets.width(), numbers->sizeHint().width()));
    EXPECT_LT(in("fileLabel").right(), in("packetLabel").left()) << text;
  }
  EXPECT_EQ(in("packetLabel"), packets);
  // The file label's path gives way first, from the middle of its folders; what comes before
  // and after it stays whole.
  auto* label = static_cast<ElidingLabel*>(placed("fileLabel"));
  const QString status =
      QString::fromUtf8("Following \u00b7 118 packets \u00b7 5 lines skipped \u00b7 ");
  label->setParts({{status},
                   {"/srv/ground-station/passes/2026-12-07/uhf-receiver-2/pass.log", true},
                   {" (emptied at 12:01:07)"}});
  const QString text = label->text();
  const QStringList parts = label->shownText().split(QChar(0x2026));
  ASSERT_EQ(parts.size(), 2) << label->shownText().toStdString();
  EXPECT_TRUE(parts[0].startsWith(status + "/srv/") &&
              parts[1].endsWith("/pass.log (emptied at 12:01:07)"))
      << label->shownText().toStdString();
  const auto expectBottomRowInView = [&] {
    const QRect area = m_window.centralWidget()->rect();
    for (const char* name : {"fileLabel", "packetLabel", "packetScrollBar"}) {
      EXPECT_TRUE(area.contains(in(name))) << name << " in " << area.height();
    }
    EXPECT_GE(in("fileLabel").width(), 20);
    EXPECT_EQ(area.bottom() - in("packetScrollBar").bottom(), gap);
    // The scroll bar's right arrow moves on one packet.
    scroll()->setValue(5);
    QTest::mouseClick(scroll(), Qt::LeftButton, {},
                      QPoint(scroll()->width() - 3, scroll()->height() / 2));
    EXPECT_EQ(packetLabel(), "6/342");
  };
  resizeClient({400, 250});
  EXPECT_EQ(m_window.centralWidget()->size(), QSize(400, 250));
  expectBottomRowInView();
  // Narrower still, the path goes, then what follows it; the whole text shows where the mouse
  // rests.
  const QString shown = label->shownText();
  EXPECT_TRUE(shown.startsWith(status) && !shown.contains("/pass")) << shown.toStdString();
  const QImage elided = label->grab().toImage();
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(label, &help);
  EXPECT_EQ(QToolTip::text(), text);
  label->setText(shown);
  EXPECT_EQ(label->grab().toImage(), elided);

  m_window.resize(m_window.sizeHint());
  m_window.fitToScreen();
  QApplication::processEvents();
  EXPECT_TRUE(m_window.screen()->availableGeometry().contains(m_window.frameGeometry()));
  expectBottomRowInView();
}

// Fitted to a screen wide enough, the window does not scroll sideways, also where it has to
// scroll up and down, and where the window manager grants sizes only in the steps that Qt asks,
// one logical pixel in device pixels rounded (at a ratio of 1.5: 2, and 987 pixels become 986).
// Run once more on screens of 1920x1080 and 1366x768 at 144 dpi, a ratio of 1.5.
TEST_F(WindowFit, FittedToAWideScreenItDoesNotScrollSideways) {
  const auto* area = m_window.centralWidget()->findChild<QScrollArea*>();
  for (QScreen* screen : QGuiApplication::screens()) {
    m_window.windowHandle()->setScreen(screen);
    m_window.move(screen->availableGeometry().topLeft());
    m_window.fitToScreen();
    const double ratio = m_window.devicePixelRatioF();
    const auto granted = [ratio](int size) {
      const int pixels = qRound(size * ratio);
      return qRound((pixels - pixels % qRound(ratio)) / ratio);
    };
    m_window.resize(granted(m_window.width()), granted(m_window.height()));
    QApplication::processEvents();
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible()) << screen->name().toStdString();
  }
}

// Each option button shows its whole circle, as tall as it is wide, clear of its neighbours'.
// (The value fields overlap by the table's own 45 twips and are left so.)
TEST_F(WindowFit, OptionButtonsShowWholeCircles) {
  for (int n = 1; n < 30; ++n) {
    auto* button = control<QWidget>(QStringLiteral("chartButton(%1)").arg(n));
    const QRect around = button->geometry().adjusted(-2, -1, 2, 1);
    const QImage image = button->parentWidget()->grab(around).toImage();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != image.pixel(0, 0)) ink |= QRect(x, y, 1, 1);
      }
    }
    EXPECT_GE(ink.width(), 10) << n;
    EXPECT_EQ(ink.height(), ink.width()) << n;
  }
}

TEST_F(WindowFit, KeysWheelAndTabMoveThroughThePackets) {
  open({test::generatedLog(342, 7)});
  // key -> packet after it, from packet 1; a page is 342 / 20 = 17 packets
  const std::pair<Qt::Key, int> keys[] = {
      {Qt::Key_End, 342},  {Qt::Key_Home, 1},    {Qt::Key_PageDown, 18}, {Qt::Key_PageDown, 35},
      {Qt::Key_Right, 36}, {Qt::Key_PageUp, 19}, {Qt::Key_Left, 18},     {Qt::Key_PageUp, 1}};
  for (const auto& [key, expected] : keys) {
    QTest::keyClick(scroll(), key);
    EXPECT_EQ(packetLabel(), QStringLiteral("%1/342").arg(expected)) << key;
    EXPECT_EQ(onScreen(scroll()), scroll()->grab().toImage().convertToFormat(QImage::Format_RGB32))
        << key;  // the thumb where the packet is
  }
  // Over the scroll bar and the chart, down (a negative delta) is later, one per notch, also
  // in the small steps of a high-resolution wheel; a tilt or a sideways scroll to the right too.
  scroll()->setValue(100);
  const QPoint onChart = chart()->rect().center();
  const std::tuple<QWidget*, std::vector<QPoint>, int> turns[] = {
      {scroll(), {{0, -120}}, 101},
      {chart(), {{0, -120}}, 102},
      {chart(), {{0, 360}}, 99},
      {scroll(), {{0, 240}}, 97},
      {chart(), {{0, -40}, {0, -40}, {0, -40}}, 98},
      {chart(), {{-120, 0}}, 99},
      {scroll(), {{240, 0}}, 97}};
  for (const auto& [target, deltas, expected] : turns) {
    for (const QPoint d : deltas) wheel(target, target == chart() ? onChart : QPoint(5, 5), d);
    EXPECT_EQ(packet(), expected) << target->objectName().toStdString() << deltas[0].y();
  }
  // After a click on the chart its keys move as the scroll bar's do.
  click(chart());
  for (const auto& [key, expected] : {std::pair{Qt::Key_End, 342},
                                      {Qt::Key_Home, 1},
                                      {Qt::Key_PageDown, 18},
                                      {Qt::Key_Right, 19}}) {
    QTest::keyClick(chart(), key);
    EXPECT_EQ(packet(), expected) << key;
  }

  // Tab: the log view, then every visible option button (1 to 29) and value field (0 to 29)
  // once, frame by frame in reading order and top to bottom within a frame, then the scroll bar.
  m_window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
  m_window.logView().setFocus();
  std::vector<QWidget*> order{QApplication::focusWidget()};
  for (int i = 0; i < 100; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == order.front()) break;
    order.push_back(QApplication::focusWidget());
  }
  ASSERT_EQ(order.front()->objectName(), "logView");
  ASSERT_EQ(order.back(), scroll());
  EXPECT_EQ(std::set<QWidget*>(order.begin(), order.end()).size(), 1u + 29 + 30 + 1);
  const auto reading = [this](QWidget* w) {
    const QPoint frame = w->parentWidget()->mapTo(m_window.centralWidget(), QPoint());
    return std::tuple(frame.y(), frame.x(), w->y(), w->x());
  };
  for (std::size_t i = 2; i + 1 < order.size(); ++i) {
    EXPECT_LT(reading(order[i - 1]), reading(order[i])) << order[i]->objectName().toStdString();
  }
  // Reached by the keyboard, the scroll bar shows that the keys go to it.
  const QImage unfocused = scroll()->grab().toImage();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  ASSERT_EQ(QApplication::focusWidget(), scroll());
  EXPECT_NE(scroll()->grab().toImage(), unfocused);
}

TEST_F(WindowFit, MarkerZoomPanAndReset) {
  open({test::generatedLog(342, 7)});  // fewer packets than pixels: each has its own bar
  const ChartGeometry& g = chart()->geometry();
  // The marker is drawn on the packet shown, and only there: the old one is erased on the
  // screen, where only its strip and the new one's are painted again.
  scroll()->setValue(10);
  const QImage at10 = onScreen(chart());
  scroll()->setValue(200);
  const QImage at200 = onScreen(chart());
  std::set<int> changed;
  for (int y = 0; y < at10.height(); ++y) {
    for (int x = 0; x < at10.width(); ++x) {
      if (at10.pixel(x, y) != at200.pixel(x, y)) changed.insert(x);
    }
  }
  EXPECT_EQ(changed, (std::set<int>{g.xOfRow(9), g.xOfRow(199)}));

  // Ctrl+wheel away from the user zooms in around the mouse; the label spacing follows.
  const QPoint at(g.xOfRow(199), g.top + 10);
  for (int i = 0; i < 10; ++i) wheel(chart(), at, {0, 120}, Qt::ControlModifier);
  const int shown = chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1;
  EXPECT_LT(shown, 40);
  EXPECT_NEAR(chart()->rowAt(at), 200, 1);
  EXPECT_TRUE(chart()->autoCategorySpacing());  // up to 100 rows: automatic
  // Its labels stand apart, measured by the widest number.
  const QFontMetrics metrics(chart()->font());
  const auto half = [&](const ChartGeometry::Mark& m) {
    return metrics.horizontalAdvance(QString::number(chart()->rowNumber(m.row + 1))) / 2.0;
  };
  for (std::size_t i = 1; i < g.labels.size(); ++i) {
    EXPECT_GT(g.labels[i].x - g.labels[i - 1].x, half(g.labels[i]) + half(g.labels[i - 1]));
  }
  EXPECT_EQ(packet(), 200);

  // A drag pans without choosing a packet; a click without one chooses the packet under it.
  const int first = chart()->firstVisibleRow();
  QTest::mousePress(chart(), Qt::LeftButton, {}, at);
  QTest::mouseMove(chart(), at + QPoint(200, 0));
  QTest::mouseRelease(chart(), Qt::LeftButton, {}, at + QPoint(200, 0));
  EXPECT_NEAR(chart()->firstVisibleRow(), first - 200.0 * shown / g.width, 1.0);
  EXPECT_EQ(packet(), 200);
  // Dragged far to the left, the range stops at the last row.
  QTest::mousePress(chart(), Qt::LeftButton, {}, at);
  QTest::mouseMove(chart(), at - QPoint(20 * g.width, 0));
  QTest::mouseRelease(chart(), Qt::LeftButton, {}, at - QPoint(20 * g.width, 0));
  EXPECT_EQ(chart()->lastVisibleRow(), chart()->rowCount());
  QTest::mouseClick(chart(), Qt::LeftButton, {}, at);
  EXPECT_EQ(packet(), chart()->rowAt(at));
  // A packet outside the range brings the range to it.
  scroll()->setValue(340);
  EXPECT_GE(chart()->lastVisibleRow(), 340);
  EXPECT_EQ(chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1, shown);

  // Rows added to a zoomed chart: a range that shows the end moves on with it, others stay.
  const std::vector<double> more(10, 1.0);
  for (const int goTo : {342, 1}) {
    scroll()->setValue(goTo);
    const int firstBefore = chart()->firstVisibleRow();
    const bool atEnd = chart()->lastVisibleRow() == chart()->rowCount();
    chart()->appendNumberedRows(more, 0);
    EXPECT_EQ(chart()->firstVisibleRow(), firstBefore + (atEnd ? 10 : 0)) << goTo;
    EXPECT_EQ(chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1, shown) << goTo;
  }

  // A double-click shows every row again; the packet stays the one its first click chose, as
  // on a real screen the second press comes as a double-click, and its release chooses nothing.
  QTest::mouseClick(chart(), Qt::LeftButton, {}, at);
  const int chosen = packet();
  QTest::mousePress(chart(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(chart(), Qt::LeftButton, {}, at);
  QMouseEvent twice(QEvent::MouseButtonDblClick, at, chart()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, {});
  QApplication::sendEvent(chart(), &twice);
  QTest::mouseRelease(chart(), Qt::LeftButton, {}, at);
  EXPECT_EQ(std::pair(chart()->firstVisibleRow(), chart()->lastVisibleRow()), std::pair(1, 362));
  EXPECT_EQ(packet(), chosen);
  EXPECT_EQ(chart()->divisionsPerLabel(), 18);  // 362 rows
}

TEST_F(WindowFit, CopyAndSaveTheChart) {
  const std::string log = test::generatedLog(342, 7);
  open({log});
  control<QAbstractButton>("chartButton(25)")->click();
  QString suggested;
  QString target;
  chart()->setSaveChooser([&](const QString& s) {
    suggested = s;
    return target;
  });
  const QImage shown = chartPicture(*chart());
  control<QAction>("copyChart")->trigger();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), shown);
  // Below its title the picture is the chart as the screen shows it, at the screen's density
  // (also run at twice the scale), but for the marker.
  const QImage screen = onScreen(chart());
  EXPECT_LE(differing(screen, shown.copy(0, shown.height() - screen.height(), screen.width(),
                                         screen.height())),
            2 * screen.height());

  // Suggested in the log's folder under the channel's name; PNG or SVG by the name chosen, in
  // either case.
  target = QString::fromStdString(m_dir.file("chart.png"));
  control<QAction>("saveChartAs")->trigger();
  EXPECT_EQ(suggested, QDir(QFileInfo(QString::fromStdString(log)).absolutePath())
                           .filePath(QStringLiteral("RSSI [dB].png")));
  QImageReader png(target);
  EXPECT_EQ(png.format(), "png");
  EXPECT_EQ(png.read().convertToFormat(QImage::Format_RGB32), shown);

  target = QString::fromStdString(m_dir.file("chart.SVG"));
  control<QAction>("saveChartAs")->trigger();
  QSvgRenderer svg(target);
  ASSERT_TRUE(svg.isValid());
  QImage drawn(shown.size(), QImage::Format_RGB32);
  QPainter painter(&drawn);
  svg.render(&painter);
  // The same picture; drawn from the vector form, edges may be shaded differently.
  int same = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) same += drawn.pixel(x, y) == shown.pixel(x, y);
  }
  EXPECT_GT(same, shown.width() * shown.height() * 95 / 100);
  // The labels under the axis, text sized as on the screen.
  const auto inkBelowAxis = [this](const QImage& image) {
    int ink = 0;
    for (int y = chart()->geometry().top + chart()->geometry().height + 5; y < image.height();
         ++y) {
      for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
    }
    return ink;
  };
  EXPECT_NEAR(inkBelowAxis(drawn), inkBelowAxis(shown), inkBelowAxis(shown) / 10);
  EXPECT_EQ(pictureFileName("a/b:c"), "a_b_c");

  // A write that fails part way (here at a file size limit) leaves the file there as it was.
  target = QString::fromStdString(m_dir.write("kept.png", "old"));
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{1000, limit.rlim_max};
  const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const QStringList boxes =
      test::answerBoxes([this] { control<QAction>("saveChartAs")->trigger(); });
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, signalBefore);
  EXPECT_EQ(boxes.size(), 1);
  EXPECT_EQ(test::readFile(target.toStdString()), "old");
}

}  // namespace
}  // namespace twk
