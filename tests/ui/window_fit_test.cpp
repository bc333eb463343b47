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
#include <QPolygon>
#include <QRegion>
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
// larger size: moved down by the extra height, widened by the extra width, made taller by the
// extra height.
// clang-format off
const std::tuple<const char*, int, int, int> kGrows[] = {
    {"logView", 0, 1, 0}, {"", 0, 0, 0}, {"Solar Arrays Currents", 0, 0, 0}, {"Battery A", 0, 0, 0},
    {"Battery B", 0, 0, 0}, {"COMM", 0, 0, 0}, {"Regulator", 0, 0, 0}, {"Temperatures", 0, 0, 0},
    {"chartFrame", 0, 1, 1}, {"chart", 0, 1, 1}, {"fileLabel", 1, 0, 0}, {"packetLabel", 1, 0, 0},
    {"packetScrollBar", 1, 1, 0}};
// clang-format on

class WindowFit : public test::WindowTest {
 protected:
  QWidget* placed(const char* name) const {
    for (auto* frame : m_window.findChildren<QGroupBox*>())
      if (frame->objectName().isEmpty() && frame->title() == QLatin1String(name)) return frame;
    return control<QWidget>(QLatin1String(name));
  }
  // Within the client area.
  QRect in(const QWidget* w) const {
    return {w->mapTo(m_window.centralWidget(), QPoint()), w->size()};
  }
  QRect in(const char* name) const { return in(placed(name)); }
  void resizeClient(QSize size) {
    m_window.resize(size + m_window.size() - m_window.centralWidget()->size());
    QApplication::processEvents();
  }
  // The pixels p of a picture where is(p).
  template <typename Is>
  static QPolygon where(const QImage& picture, Is is) {
    QPolygon points;
    for (int i = 0; i < picture.width() * picture.height(); ++i) {
      const QPoint p(i % picture.width(), i / picture.width());
      if (is(p)) points << p;
    }
    return points;
  }
  // Where a and b differ, in the part of b that a covers.
  static QPolygon differing(const QImage& a, const QImage& b) {
    return where(a, [&](QPoint p) { return a.pixel(p) != b.pixel(p); });
  }
  // The chart on the screen is its picture below the title, but for the marker.
  void expectChartAsPictured() const {
    const QImage picture = chartPicture(*chart());
    const QImage screen = onScreen(chart());
    const QImage below =
        picture.copy(screen.rect().translated(0, picture.height() - screen.height()));
    EXPECT_LE(differing(screen, below).size(), 2 * screen.height());
  }
};

// The window opens at the size it was laid out for, its controls within it and clear of each
// other; at any other size each control takes the difference by its role, and back at that
// size every control is where it was.
TEST_F(WindowFit, OtherSizesShareTheDifferenceFromTheDefault) {
  open({test::generatedLog(342, 7)});
  const auto* client = static_cast<const ClientArea*>(m_window.centralWidget());
  const QSize standard = client->sizeHint();
  ASSERT_EQ(client->size(), standard);
  std::map<std::string, QRect> laid;
  QRegion taken;
  for (const auto& [name, down, wide, tall] : kGrows) {
    laid[name] = in(name);
    if (std::strcmp(name, "chart") == 0) continue;  // within its frame
    EXPECT_TRUE(QRect(QPoint(), standard).contains(laid[name])) << name;
    EXPECT_FALSE(taken.intersects(laid[name])) << name;
    taken += laid[name];
  }
  // Each option button shows its whole circle, as tall as it is wide, clear of its neighbours'.
  // (The value fields overlap by the table's own 45 twips and are left so.)
  for (int n = 1; n < 30; ++n) {
    const QRect around = button(n)->geometry().adjusted(-2, -1, 2, 1);
    const QImage shot = button(n)->parentWidget()->grab(around).toImage();
    const QRgb paper = shot.pixel(0, 0);
    const QRect ink = where(shot, [&](QPoint p) { return shot.pixel(p) != paper; }).boundingRect();
    EXPECT_GE(ink.width(), 10) << n;
    EXPECT_EQ(ink.height(), ink.width()) << n;
  }

  // Larger: each control moves and grows by its role; the chart on the screen is drawn anew at
  // its new size.
  onScreen(chart());  // painted at the default size first
  resizeClient({1920, 1040});
  const QSize more = QSize(1920, 1040) - standard;
  for (const auto& [name, down, wide, tall] : kGrows) {
    const QRect moved = laid[name].translated(0, down * more.height());
    EXPECT_EQ(in(name), moved.adjusted(0, 0, wide * more.width(), tall * more.height())) << name;
  }
  EXPECT_FALSE(QRect(0, 0, 1920, 1040).intersects(in("valueField(30)")));  // kept out of sight
  EXPECT_GE(chart()->geometry().width, 1700);
  expectChartAsPictured();

  // Smaller: the chart gives way first, then the log view, down to the least size; nothing
  // runs into its neighbour.
  // How much lower than at the default size.
  const auto less = [&](const char* name) { return laid[name].height() - in(name).height(); };
  resizeClient(standard - QSize(0, 100));
  EXPECT_EQ(std::pair(less("logView"), less("chart")), std::pair(0, 100));
  resizeClient(client->leastSize());
  EXPECT_TRUE(less("logView") > 0 && less("chart") > 100);
  EXPECT_EQ(less("logView") + less("chart"), standard.height() - client->leastSize().height());
  EXPECT_LT(in("COMM").bottom(), in("chartFrame").top());
  EXPECT_LT(in("chartFrame").bottom(), in("packetScrollBar").top());
  resizeClient(standard);
  for (const auto& [name, down, wide, tall] : kGrows) EXPECT_EQ(in(name), laid[name]) << name;
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
    const int wider = std::max(numbers->sizeHint().width() - packets.width(), 0);
    EXPECT_EQ(in("packetLabel"), packets.adjusted(-wider, 0, 0, 0)) << text;
    EXPECT_LT(in("fileLabel").right(), in("packetLabel").left()) << text;
  }
  // The file label's path gives way first, from the middle of its folders; what comes before
  // and after it stays whole.
  auto* label = static_cast<ElidingLabel*>(placed("fileLabel"));
  const QString status =
      QStringLiteral("Following \u00b7 118 packets \u00b7 5 lines skipped \u00b7 ");
  label->setParts({{status},
                   {"/srv/ground-station/passes/2026-12-07/uhf-receiver-2/pass.log", true},
                   {" (emptied at 12:01:07)"}});
  const QString middle = label->shownText();
  EXPECT_TRUE(middle.startsWith(status + "/srv/") && middle.count(QChar(0x2026)) == 1 &&
              middle.endsWith("/pass.log (emptied at 12:01:07)"))
      << middle.toStdString();
  const auto expectBottomRowInView = [&] {
    const QRect area = m_window.centralWidget()->rect();
    EXPECT_TRUE(area.contains(in("fileLabel") | in("packetLabel") | in("packetScrollBar")));
    EXPECT_GE(in("fileLabel").width(), 20);
    EXPECT_EQ(area.bottom() - in("packetScrollBar").bottom(), gap);
    // The scroll bar's right arrow moves on one packet.
    scroll()->setValue(5);
    click(scroll(), {}, QPoint(scroll()->width() - 3, scroll()->height() / 2));
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
  EXPECT_EQ(QToolTip::text(), label->text());
  label->setText(shown);
  EXPECT_EQ(label->grab().toImage(), elided);

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
    const int step = qRound(ratio);
    // NOLINTNEXTLINE(bugprone-integer-division): whole steps of device pixels, rounded down
    const auto granted = [&](int n) { return qRound(qRound(n * ratio) / step * step / ratio); };
    m_window.resize(granted(m_window.width()), granted(m_window.height()));
    QApplication::processEvents();
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible()) << screen->name().toStdString();
  }
}

// Keys, the wheel and Tab move through the packets; the chart's marker, zoom and pan.
TEST_F(WindowFit, KeysWheelTabAndTheChartsMarkerZoomAndPan) {
  open({test::generatedLog(342, 7)});
  QWidget* s = scroll();
  QWidget* c = chart();
  // On the scroll bar (s) or, after a click on it, the chart (c): a key, or the wheel turned by
  // a delta -> the packet after it. A page is 342 / 20 = 17 packets. Down (a negative delta) is
  // later, one per notch, also in the small steps of a high-resolution wheel; a tilt or a
  // sideways scroll to the right too.
  const std::tuple<QWidget*, Qt::Key, QPoint, int> steps[] = {
      {s, Qt::Key_End, {}, 342},     {s, Qt::Key_Home, {}, 1},      {s, Qt::Key_PageDown, {}, 18},
      {s, Qt::Key_PageDown, {}, 35}, {s, Qt::Key_Right, {}, 36},    {s, Qt::Key_PageUp, {}, 19},
      {s, Qt::Key_Left, {}, 18},     {s, {}, {0, -120}, 19},        {c, {}, {0, -120}, 20},
      {c, {}, {0, 360}, 17},         {s, {}, {0, 240}, 15},         {c, {}, {0, -40}, 15},
      {c, {}, {0, -40}, 15},         {c, {}, {0, -40}, 16},         {c, {}, {-120, 0}, 17},
      {s, {}, {240, 0}, 15},         {s, Qt::Key_PageUp, {}, 1},    {c, Qt::Key_End, {}, 342},
      {c, Qt::Key_Home, {}, 1},      {c, Qt::Key_PageDown, {}, 18}, {c, Qt::Key_Right, {}, 19}};
  click(chart());
  for (const auto& [target, key, delta, expected] : steps) {
    if (key != Qt::Key{}) QTest::keyClick(target, key);
    if (!delta.isNull()) wheel(target, target->rect().center(), delta);
    EXPECT_EQ(packetLabel(), QStringLiteral("%1/342").arg(expected)) << key << " " << delta.y();
    // The thumb where the packet is.
    EXPECT_EQ(onScreen(s), s->grab().toImage().convertToFormat(QImage::Format_RGB32)) << key;
  }

  // Tab: the log view, then every visible option button (1 to 29) and value field (0 to 29)
  // once, frame by frame in reading order and top to bottom within a frame, then the scroll bar.
  m_window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
  logView().setFocus();
  std::vector<QWidget*> order{&logView()};
  do {
    QTest::keyClick(order.back(), Qt::Key_Tab);
    order.push_back(QApplication::focusWidget());
  } while (order.back() != order.front() && order.size() < 100);
  ASSERT_EQ(order.size(), 1u + 29 + 30 + 1 + 1);  // back to the log view
  EXPECT_EQ(order[order.size() - 2], scroll());
  EXPECT_EQ(std::set<QWidget*>(order.begin(), order.end()).size(), 1u + 29 + 30 + 1);
  const auto reading = [this](QWidget* w) {
    return std::tuple(in(w->parentWidget()).y(), in(w->parentWidget()).x(), w->y(), w->x());
  };
  for (std::size_t i = 2; i + 2 < order.size(); ++i)
    EXPECT_LT(reading(order[i - 1]), reading(order[i])) << order[i]->objectName().toStdString();
  // Reached by the keyboard, the scroll bar shows that the keys go to it.
  const QImage unfocused = scroll()->grab().toImage();
  QTest::keyClick(&logView(), Qt::Key_Backtab);
  ASSERT_EQ(QApplication::focusWidget(), scroll());
  EXPECT_NE(scroll()->grab().toImage(), unfocused);

  // Fewer packets than pixels: each has its own bar.
  const ChartGeometry& g = chart()->geometry();
  // The marker is drawn on the packet shown, and only there: the old one is erased on the
  // screen, where only its strip and the new one's are painted again.
  scroll()->setValue(10);
  const QImage at10 = onScreen(chart());
  scroll()->setValue(200);
  std::set<int> changed;
  for (const QPoint p : differing(at10, onScreen(chart()))) changed.insert(p.x());
  EXPECT_EQ(changed, (std::set<int>{g.xOfRow(9), g.xOfRow(199)}));

  // Ctrl+wheel away from the user zooms in around the mouse; the label spacing follows.
  const QPoint at(g.xOfRow(199), g.top + 10);
  for (int i = 0; i < 10; ++i) wheel(chart(), at, {0, 120}, Qt::ControlModifier);
  const int shown = chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1;
  EXPECT_LT(shown, 40);
  EXPECT_NEAR(chart()->rowAt(at), 200, 1);
  EXPECT_TRUE(chart()->autoCategorySpacing());  // up to 100 rows: automatic
  // Its labels, all of three digits, stand apart by more than the width of one.
  const int wide = QFontMetrics(chart()->font()).horizontalAdvance(chart()->categoryLabel(200));
  for (std::size_t i = 1; i < g.labels.size(); ++i)
    EXPECT_GT(g.labels[i].x - g.labels[i - 1].x, wide) << g.labels[i].row;

  // A drag pans without choosing a packet; a click without one chooses the packet under it.
  const auto drag = [&](int by) {
    QTest::mousePress(chart(), Qt::LeftButton, {}, at);
    QTest::mouseMove(chart(), at + QPoint(by, 0));
    QTest::mouseRelease(chart(), Qt::LeftButton, {}, at + QPoint(by, 0));
  };
  const int first = chart()->firstVisibleRow();
  drag(200);
  EXPECT_NEAR(chart()->firstVisibleRow(), first - 200.0 * shown / g.width, 1.0);
  EXPECT_EQ(scroll()->value(), 200);
  drag(-20 * g.width);  // far to the left: the range stops at the last row
  EXPECT_EQ(chart()->lastVisibleRow(), chart()->rowCount());
  click(chart(), {}, at);
  EXPECT_EQ(scroll()->value(), chart()->rowAt(at));
  // A packet outside the range brings the range to it.
  scroll()->setValue(340);
  EXPECT_GE(chart()->lastVisibleRow(), 340);
  EXPECT_EQ(chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1, shown);

  // Rows added to a zoomed chart: a range that shows the end moves on with it, others stay.
  for (const int goTo : {342, 1}) {
    scroll()->setValue(goTo);
    const int firstBefore = chart()->firstVisibleRow();
    chart()->appendNumberedRows(std::vector<double>(10, 1.0), 0);
    EXPECT_EQ(chart()->firstVisibleRow(), firstBefore + (goTo == 342 ? 10 : 0)) << goTo;
    EXPECT_EQ(chart()->lastVisibleRow() - chart()->firstVisibleRow() + 1, shown) << goTo;
  }

  // A double-click shows every row again; the packet stays the one its first click chose, as
  // on a real screen the second press comes as a double-click, and its release chooses nothing.
  click(chart(), {}, at);
  const int chosen = scroll()->value();
  QMouseEvent twice(QEvent::MouseButtonDblClick, at, chart()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, {});
  QApplication::sendEvent(chart(), &twice);
  QTest::mouseRelease(chart(), Qt::LeftButton, {}, at);
  EXPECT_EQ(std::pair(chart()->firstVisibleRow(), chart()->lastVisibleRow()), std::pair(1, 362));
  EXPECT_EQ(scroll()->value(), chosen);
  EXPECT_EQ(chart()->divisionsPerLabel(), 18);  // 362 rows
}

TEST_F(WindowFit, CopyAndSaveTheChart) {
  open({test::generatedLog(342, 7)});
  button(25)->click();
  const QString log = QString::fromStdString(test::generatedLog(342, 7));
  QString target;
  chart()->setSaveChooser([&](const QString& suggested) {
    // In the log's folder under the channel's name.
    EXPECT_EQ(suggested, QFileInfo(log).dir().filePath("RSSI [dB].png"));
    return target;
  });
  const QImage shown = chartPicture(*chart());
  action("copyChart")->trigger();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), shown);
  // At the screen's density (also run at twice the scale).
  expectChartAsPictured();

  // PNG or SVG by the name chosen, in either case: the same picture, though edges drawn from
  // the vector form may be shaded differently, its labels under the axis sized as on the screen.
  const int axis = chart()->geometry().top + chart()->geometry().height + 5;
  const auto ink = [axis](const QImage& image) {
    return where(image, [&](QPoint p) { return p.y() >= axis && qGray(image.pixel(p)) < 128; })
        .size();
  };
  for (const auto& [name, shaded] : {std::pair{"chart.png", 0.0}, {"chart.SVG", 0.05}}) {
    target = QString::fromStdString(m_dir.file(name));
    action("saveChartAs")->trigger();
    QImageReader file(target);
    file.setScaledSize(shown.size());
    EXPECT_EQ(file.format(), QFileInfo(target).suffix().toLower()) << name;
    const QImage saved = file.read().convertToFormat(QImage::Format_RGB32);
    EXPECT_LE(differing(saved, shown).size(), saved.width() * saved.height() * shaded) << name;
    EXPECT_NEAR(ink(saved), ink(shown), ink(shown) / 10.0) << name;
  }
  EXPECT_EQ(pictureFileName("a/b:c"), "a_b_c");

  // A write that fails part way (here at a file size limit) leaves the file there as it was.
  target = QString::fromStdString(m_dir.write("kept.png", "old"));
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{1000, limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const QStringList boxes = test::answerBoxes([this] { action("saveChartAs")->trigger(); });
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(boxes.size(), 1);
  EXPECT_EQ(test::readFile(target.toStdString()), "old");
}

}  // namespace
}  // namespace twk
