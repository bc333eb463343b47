// The main window with its commands, driven as a user drives it: open, drop, follow, step, pick
// a channel, export. Values are compared with what the core and twk-csv give for the same logs.

#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTextBlock>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <fstream>
#include <functional>

#include "telemetry/channel_conversion.h"
#include "telemetry/value_text.h"
#include "ui/crossings_window.h"
#include "ui/limit_crossings_model.h"
#include "ui/log_file_dialog.h"
#include "ui/log_follow_command.h"
#include "ui/user_settings.h"
#include "window_driver.h"

namespace twk {
namespace {

using test::generatedLog;
using test::holds;
using test::oneBox;
using test::readFile;
using test::writeLog;

// A telemetry line whose RAAC (channel 1) reads id, and a log of those from first to last.
std::string packet(int id) {
  return test::telemetryLine(test::word(35, static_cast<unsigned>(id))) + "\r\n";
}
std::string packets(int first, int last) {
  std::string text;
  for (int id = first; id <= last; ++id) text += packet(id);
  return text;
}
void append(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::app | std::ios::binary) << text;
}

class WindowTest : public test::WindowTest {
 protected:
  ChannelRow valuesOf(int row) const {
    ChannelRow values{};
    convertPacket(m_window.packets().bytes(row), values);
    return values;
  }
  // What twk-csv writes for the log, in the C locale.
  std::string converted(const std::string& log) const {
    const std::string command =
        "LC_ALL=C " TWK_CSV_PATH " -o " + m_dir.file("expected") + " " + log;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    return readFile(m_dir.file("expected"));
  }
  // Drags files or URLs (none: plain text) onto the log view and drops them; whether the view
  // took them, and the boxes shown.
  std::pair<bool, QStringList> drop(const std::vector<std::string>& names) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& name : names) urls += QUrl::fromUserInput(QString::fromStdString(name));
    urls.isEmpty() ? data.setText(QStringLiteral("flight.log")) : data.setUrls(urls);
    QWidget* view = logView().viewport();
    const QPoint at = view->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    const QStringList boxes = test::answerBoxes([&] {
      QApplication::sendEvent(view, &enter);
      QApplication::sendEvent(view, &dropped);
    });
    return {enter.isAccepted() && dropped.isAccepted(), boxes};
  }
  // The packet label reads label, and the value fields show the packet the scroll bar names, or
  // nothing without packets.
  void expectPanel(const QString& label) const {
    EXPECT_EQ(packetLabel(), label);
    const int packet = scroll()->value();
    for (int n = 0; n < kChannelCount; ++n) {
      EXPECT_EQ(field(n).toStdString(),
                count() == 0 ? "" : channelText(n, valuesOf(packet)[std::size_t(n)], "."))
          << "packet " << packet << ", field " << n;
    }
  }
  // The packet label and the RAAC field, which reads the packet's id in the logs made here.
  QString shown() const { return packetLabel() + ' ' + field(1); }
  // The log view's highlighted line, -1 for none.
  int highlighted() const {
    const QList<QTextEdit::ExtraSelection> marks = logView().extraSelections();
    return marks.isEmpty() ? -1 : marks.front().cursor.blockNumber();
  }
};

// The chart's choices, made with the key F on a clicked chart and from its menu, hold for the
// next window and show there in the menu too. Label by On-board Time names the bars by their
// packets' times, to the minute; a clock reset shows as a jump in the labels with the bars in
// packet order.
TEST_F(WindowTest, TheChartsChoicesOutliveTheWindowAndTimeLabelsJumpAtAClockReset) {
  const auto at = [](unsigned seconds) {
    const unsigned n = seconds * 384;
    return test::telemetryLine({{17, n >> 24}, {18, n >> 16 & 255}, {19, n >> 8 & 255}, {20, n}});
  };
  const unsigned pass = 2 * 86400 + 14 * 3600 + 5 * 60;  // 2d 14:05
  open({writeLog("reset.log", {at(pass), at(pass + 59), at(60), at(125)})});
  click(chart());
  EXPECT_EQ(chart()->focusPolicy(), Qt::ClickFocus);
  const std::pair<const char*, std::function<void()>> choices[] = {
      {"fitToValues", [this] { QTest::keyClick(chart(), Qt::Key_F); }},
      {"labelByTime", [this] { action("labelByTime")->trigger(); }}};
  for (const auto& [name, choose] : choices) {
    for (const bool on : {true, false}) {
      choose();
      EXPECT_EQ(action(name)->isChecked(), on) << name;
      const MainWindow next;
      const auto* chart = next.findChild<BarChart*>(QStringLiteral("chart"));
      EXPECT_EQ(next.findChild<QAction*>(QLatin1String(name))->isChecked(), on) << name;
      EXPECT_EQ(std::string(name) == "fitToValues" ? chart->fitted() : chart->timeLabels(), on);
    }
  }
  action("labelByTime")->trigger();
  QStringList labels;  // each bar's label and packet
  for (int row = 1; row <= 4; ++row)
    labels += chart()->categoryLabel(row) + " #" + QString::number(chart()->rowNumber(row));
  EXPECT_EQ(labels.join(", "), "2d 14:05 #1, 2d 14:05 #2, 0d 00:01 #3, 0d 00:02 #4");
  const ChartGeometry& g = chart()->geometry();
  const QString readOut = chart()->toolTipAt(QPoint(g.columns[2].x, g.top + g.height / 2));
  EXPECT_TRUE(readOut.startsWith("Packet 3: ") && readOut.contains("0d 00:01:00"))
      << readOut.toStdString();
  // A copied or saved picture says what it shows above the chart.
  EXPECT_EQ(chart()->pictureTitle(),
            "Battery A RAAC [mAh] \u00b7 reset.log \u00b7 packets 1\u20134 \u00b7 on-board 2d "
            "14:05 \u2013 0d 00:02");
  EXPECT_EQ(
      chartPicture(*chart()).height(),
      (chart()->height() + chart()->fontMetrics().height() + 8) * chart()->devicePixelRatio());
  action("labelByTime")->trigger();
  EXPECT_EQ(chart()->categoryLabel(3), "3");
}

// The panel shows the packet the scroll bar names. A plain click on an option button charts its
// channel alone, and only its button is checked; Ctrl+click adds a second channel on its own axis
// at the right with its own colour and legend entry and takes it off again. A click on a bar
// shows its packet; a load charts channel 1.
TEST_F(WindowTest, PanelAndOptionButtonsChartOneOrTwoChannels) {
  open({generatedLog(300, 4)});
  expectPanel("1/300");
  scroll()->setValue(17);
  expectPanel("17/300");
  scroll()->setSliderDown(true);  // the panel follows a dragged thumb
  scroll()->setSliderPosition(40);
  expectPanel("40/300");
  scroll()->setSliderDown(false);
  const auto ctrl = Qt::ControlModifier;
  // the button clicked, with Ctrl or not -> the channels charted (-1: none second)
  const std::tuple<int, Qt::KeyboardModifiers, int, int> steps[] = {
      {7, {}, 7, -1},  {12, {}, 12, -1},  {3, {}, 3, -1},    {4, ctrl, 3, 4},
      {3, ctrl, 3, 4}, {12, ctrl, 3, 12}, {12, ctrl, 3, -1}, {12, ctrl, 3, 12},
      {7, {}, 7, -1},  {3, {}, 3, -1},    {4, ctrl, 3, 4}};
  const auto buttons = m_window.findChildren<QRadioButton*>();
  for (const auto& [n, keys, first, second] : steps) {
    click(button(n), keys);
    for (QRadioButton* b : buttons)
      EXPECT_EQ(b->isChecked(), b == button(first)) << n << b->objectName().toStdString();
    EXPECT_EQ(chart()->value(9), valuesOf(9)[std::size_t(first)]) << n;
    ASSERT_EQ(chart()->hasOverlay(), second >= 0) << n;
    if (second < 0) continue;
    EXPECT_EQ(chart()->overlayValue(9), valuesOf(9)[std::size_t(second)]) << n;
    EXPECT_EQ(fieldOf(second)->palette().color(QPalette::Base), QColor(0xD2EEEA));
  }
  // Battery A's temperature with its volts: legend, read-out, title and picture name both.
  EXPECT_EQ(chart()->legend(), QStringList({"Battery A Temp [C]", "Battery A Volts [V]"}));
  const ChartGeometry& g = chart()->geometry();
  const QString volts = QString::fromStdString(channelText(4, valuesOf(9)[4], "."));
  const QString readOut = chart()->toolTipAt(QPoint(g.columns[8].x, g.top + 1));
  EXPECT_TRUE(readOut.startsWith("Packet 9: ")) << readOut.toStdString();
  EXPECT_TRUE(holds(readOut, "\nBattery A Volts: " + volts + " V"));
  EXPECT_TRUE(holds(chart()->pictureTitle(),
                    "Battery A Temp [C] and Battery A Volts [V] \u00b7 300_4.log"));
  const auto teal = [this] {
    const QImage image = chartPicture(*chart()).convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
    return std::count(pixels, pixels + image.width() * image.height(), 0xFF00897B);
  };
  EXPECT_GT(teal(), g.width);  // the line, its axis and the legend
  const ChartGeometry::Column& bar = g.columns[1];
  click(chart(), {}, QPoint(bar.x + bar.width / 2, bar.bottom - 1));
  EXPECT_EQ(packetLabel(), "2/300");
  open({generatedLog(12, 1)});
  EXPECT_FALSE(chart()->hasOverlay());
  EXPECT_EQ(teal(), 0);
  for (QRadioButton* b : buttons) EXPECT_EQ(b->isChecked(), b == button(1));
  // A value wider than its field shows its start, and all of it where the mouse rests.
  open({writeLog("wide.log", {test::telemetryLine({{76, 255}, {77, 255}, {78, 255}, {79, 255}})})});
  EXPECT_EQ(fieldOf(28)->cursorPosition(), 0);
  EXPECT_EQ(fieldOf(28)->toolTip(), "4294967295");
}

// Whatever the load, the position, the values, the log view and the chart belong to the load
// shown, never to the one before, which was left at packet 5. A drop adds the first local file
// to the load when its name ends in "log" in any case; anything else does nothing, and a file
// that fails is reported while the packets so far stay.
TEST_F(WindowTest, ALoadOrADropShowsNothingOfTheLoadBefore) {
  const std::string full = generatedLog(5000, 11), small = generatedLog(30, 12);
  const std::string note = writeLog("note.txt", {"pass planning, nothing received"});
  const std::string other = writeLog("other.log", {"8C 10 33 67 58 30 47 4E 44 2D 32 00"});
  const std::string extra = test::telemetryLine({{35, 7}, {36, 1}});  // past the table
  const std::string overfull = m_dir.write("overfull.log", readFile(full) + extra + "\r\n");
  const std::string tooLong = m_dir.write("too_long.log", packet(4) + test::telemetryLine({}, 170));
  const std::string seven = packets(1, 7);
  std::filesystem::create_directory(m_dir.file("backlog"));
  const std::string hundred = generatedLog(100, 11);
  // the load before; the files opened or dropped (none: plain text); the parts of the one
  // message shown; the packet label; the lines of the log view
  const std::tuple<std::string, bool, std::vector<std::string>, QStringList, QString, int> cases[] =
      {{full, false, {full}, {}, "1/5000", 5000},
       {full, false, {note, other}, {"note.txt", "other.log", "X0TWK-1"}, "1/0", 0},
       {small, true, {other}, {"other.log", "X0TWK-1"}, "5/30", 30},
       {hundred, true, {m_dir.write("flight.log", seven)}, {}, "1/107", 7},
       {hundred, true, {m_dir.write("FLIGHT.LOG", seven)}, {}, "1/107", 7},
       {hundred, true, {m_dir.write("catalog", seven)}, {}, "1/107", 7},
       {hundred, true, {m_dir.write("flight.txt", seven)}, {}, "5/100", 100},
       {hundred, true, {m_dir.write("first.log", seven), generatedLog(9, 9)}, {}, "1/107", 7},
       {hundred, true, {"https://example.org/pass.log"}, {}, "5/100", 100},
       {hundred, true, {}, {}, "5/100", 100},
       {hundred, true, {m_dir.file("backlog")}, {":\nIs a directory"}, "5/100", 100},
       {hundred, true, {tooLong}, {"too_long.log, line 2: line too long"}, "1/101", 2},
       {small, false, {overfull}, {"packet table full"}, "1/5000", 5001}};
  for (const auto& [before, dropped, files, message, label, lines] : cases) {
    SCOPED_TRACE(files.empty() ? "text" : files.back());
    open({before});
    scroll()->setValue(5);
    const auto [taken, boxes] = dropped ? drop(files) : std::pair(true, open(files));
    EXPECT_EQ(taken, !files.empty());
    EXPECT_TRUE(oneBox(boxes, message));
    EXPECT_FALSE(holds(boxes.join(""), "not read"));
    expectPanel(label);
    EXPECT_EQ(logText().count('\n'), lines);
    EXPECT_EQ(chart()->rowCount(), count());
    if (count() > 0) continue;
    EXPECT_EQ(control<QGroupBox>(QStringLiteral("chartFrame"))->title(), "Graph");
    EXPECT_EQ(scroll()->minimum(), scroll()->maximum());  // no packet to move to
  }
  EXPECT_TRUE(logText().endsWith(QString::fromStdString(extra).remove(' ') + '\n'));
}

// Following a log: the panel starts at the newest packet and moves on with each new one unless
// the user went back; a half-written line waits; a line that cannot be stored is shown, counted
// and passed. The file label is a live line, each second: packets in the last minute, the last
// one's age (amber from a minute on), the lines skipped, then the path; another load ends it.
TEST_F(WindowTest, FollowingALogShowsEachPacketAsItsLineIsComplete) {
  std::int64_t now = 0;
  m_shell->followCommand().setClock([&now] { return now; });
  const std::string log = m_dir.write("pass.log", packets(1, 3) + packet(4).substr(0, 90));
  const auto live = [&log](const std::string& status) {
    return QString::fromStdString("Following \u00b7 " + status + " \u00b7 " + log);
  };
  EXPECT_TRUE(follow(log).isEmpty());
  EXPECT_EQ(shown(), "3/3 3");
  EXPECT_EQ(fileLabel(), live("0 packets in the last minute \u00b7 last packet 0 s ago"));
  const std::string tooLong = test::telemetryLine({}, 150) + "\r\n";
  const QStringList none = test::answerBoxes([&] {
    append(log, packet(4).substr(90) + tooLong + packet(5));
    ASSERT_TRUE(reach(5));
    EXPECT_EQ(shown(), "5/5 5");
    EXPECT_EQ(chart()->rowCount(), 5);
    EXPECT_EQ(fileLabel(), live("2 packets in the last minute \u00b7 last packet 0 s ago \u00b7 "
                                "1 line skipped"));
    EXPECT_EQ(logText().count('\n'), 6);
    EXPECT_TRUE(holds(logText(), "\nline 5 skipped: line too long: 302 hex digits"));
    scroll()->setValue(2);
    // A click at the start of the log view puts the caret there; the next line still goes last.
    click(logView().viewport(), {}, QPoint(1, 1));
    ASSERT_EQ(logView().textCursor().position(), 0);
    now += 1000;
    append(log, packet(6) + tooLong);
    ASSERT_TRUE(reach(6));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileLabel().contains("2 lines skipped"); }, 5000));
    EXPECT_TRUE(logText().endsWith(QString::fromStdString(packet(6)).remove(' ').trimmed() +
                                   "\nline 8 skipped: line too long: 302 hex digits after "
                                   "un-escaping (at most 301 fit)\n"))
        << logText().toStdString();
    EXPECT_EQ(shown(), "2/6 2");
  });
  EXPECT_TRUE(none.isEmpty()) << none.join('\n').toStdString();
  // A stalled feed: the age counts on, and from a minute on it is marked.
  const std::tuple<int, const char*, bool> ages[] = {
      {58, "3 packets in the last minute \u00b7 last packet 58 s ago", false},
      {1, "1 packet in the last minute \u00b7 last packet 59 s ago", false},
      {121, "0 packets in the last minute \u00b7 last packet 3 min ago", true}};
  for (const auto& [seconds, status, marked] : ages) {
    now += seconds * 1000;
    const QString expected = live(std::string(status) + " \u00b7 2 lines skipped");
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileLabel() == expected; }, 3000))
        << fileLabel().toStdString();
    EXPECT_EQ(m_window.fileLabel().shownParts().value(2).colour.isValid(), marked) << status;
  }
  append(log, packet(7));
  ASSERT_TRUE(reach(7));
  EXPECT_TRUE(holds(fileLabel(), "1 packet in the last minute \u00b7 last packet 0 s ago"));

  // A log without a packet yet: the chart is titled with its channel once the first comes.
  const std::string waiting = m_dir.write("waiting.log", "");
  follow(waiting);
  const auto* chartFrame = control<QGroupBox>(QStringLiteral("chartFrame"));
  EXPECT_EQ(chartFrame->title(), "Graph");
  append(waiting, packet(1));
  ASSERT_TRUE(reach(1));
  EXPECT_EQ(chartFrame->title(), "RAAC  [ mAh ]");

  // Another load, opened or dropped, ends following as Stop Following does: Stop Following is
  // greyed again and the label no longer says "Following".
  const std::function<void()> ends[] = {[&] { open({generatedLog(12, 1)}); },
                                        [&] { drop({generatedLog(9, 3)}); },
                                        [&] { m_shell->stopFollowing(); }};
  for (const auto& end : ends) {
    follow(log);
    ASSERT_TRUE(action("stopFollowing")->isEnabled());
    end();
    EXPECT_FALSE(m_shell->followCommand().following());
    EXPECT_FALSE(action("stopFollowing")->isEnabled());
    EXPECT_FALSE(fileLabel().startsWith("Following")) << fileLabel().toStdString();
  }
  EXPECT_EQ(fileLabel(), "Stopped following \u00b7 " + QString::fromStdString(log));
}

// Past a small "Packets held", a followed log keeps its newest packets with their numbers: the
// scroll bar covers those held, the CSV holds them, a panel moved back keeps its packet, and a
// log emptied or replaced for the next pass is read from its start, said so in the file label,
// with a grey line before its first packet on the chart.
TEST_F(WindowTest, FollowingPastThePacketsHeldKeepsTheNewest) {
  m_window.setPacketsHeld(100);
  const std::string log = m_dir.write("pass.log", packets(1, 150));
  EXPECT_TRUE(follow(log).isEmpty());
  enum Action { Append, Empty, Replace, Back };
  // what is done; the newest number; the packet label and RAAC shown; the first charted number,
  // the rows a pass starts at, and the note in the file label
  const std::tuple<Action, int, int, QString, int, std::vector<int>, const char*> steps[] = {
      {Back, 150, 150, "150/150 150", 51, {}, "newest 100 held \u00b7 /"},
      {Append, 151, 180, "180/180 180", 81, {}, "newest 100 held \u00b7 /"},
      {Back, 90, 180, "90/180 90", 81, {}, "newest 100 held \u00b7 /"},
      {Append, 181, 185, "90/185 90", 86, {}, "newest 100 held \u00b7 /"},
      {Back, 185, 185, "185/185 185", 86, {}, "newest 100 held \u00b7 /"},
      {Empty, 1, 190, "190/190 5", 91, {96}, " (emptied at "},
      {Replace, 1, 193, "193/193 3", 94, {93, 98}, " (replaced at "}};
  for (const auto& [step, from, to, label, firstCharted, passes, note] : steps) {
    if (step == Append) append(log, packets(from, to));
    if (step == Empty) m_dir.write("pass.log", packets(1, 5));
    if (step == Replace) std::filesystem::rename(m_dir.write("next.log", packets(1, 3)), log);
    if (step == Back) scroll()->setValue(m_window.packets().rowOf(from));
    ASSERT_TRUE(reach(to)) << to;
    EXPECT_EQ(shown(), label);
    EXPECT_EQ(scroll()->maximum(), 100);
    // The view holds both passes' lines: the packet's number in the load is its line.
    EXPECT_EQ(highlighted(), label.section('/', 0, 0).toInt() - 1);
    EXPECT_EQ(chart()->rowCount(), 100);
    EXPECT_EQ(chart()->rowNumber(1), firstCharted);
    EXPECT_EQ(chart()->value(100), m_window.packets().bytes(100)[36]) << to;
    EXPECT_EQ(chart()->passStarts(), passes);
    EXPECT_TRUE(holds(fileLabel(), note));
  }
  EXPECT_TRUE(exportCsv().isEmpty());
  EXPECT_TRUE(fileLabel().startsWith("Following") &&
              fileLabel().endsWith(QString::fromStdString(csvPath()) + " has been written)"))
      << fileLabel().toStdString();
  // The packets held: 94 to 185 of the first pass, 1 to 5 of the second, 1 to 3 of the third.
  EXPECT_EQ(readFile(csvPath()),
            converted(m_dir.write("held.log", packets(94, 185) + packets(1, 5) + packets(1, 3))));
  // The log view keeps the newest lines only, as the store does.
  append(log, packets(4, 10003));
  ASSERT_TRUE(reach(10193));
  const QTextDocument& view = *logView().document();
  EXPECT_EQ(view.blockCount(), 10000);
  const QString newest = QString::fromStdString(packet(10003)).remove(QLatin1Char(' ')).trimmed();
  EXPECT_EQ(view.lastBlock().previous().text(), newest);
  EXPECT_EQ(logView().extraSelections().value(0).cursor.block().text(), newest);
}

// Values outside their limits: bold red or amber in the panel, legible on the charted tints,
// strips beyond the limits and the limit named in the chart's read-out; a line of the limits
// file that cannot be read is told once. Limits edited in the window apply at once, also while
// following; red limits crossed by followed packets raise the alarm until acknowledged; the
// crossings are listed, shown from the list or with F8 and Shift+F8 and copied in twk-csv's
// words; a limits file that another program changes is read again.
TEST_F(WindowTest, LimitsCrossingsAndTheAlarm) {
  const QString limitsFile = user_settings::limitsFilePath();
  QDir().mkpath(QFileInfo(limitsFile).absolutePath());
  std::ofstream(limitsFile.toStdString()) << "[1]\nyellowHigh=251.5\nredHigh=600\n[40]\n";
  const std::string log = m_dir.write("raac.log", packets(250, 252) + packet(768));
  EXPECT_TRUE(oneBox(open({log}), {"limits.ini:4: section [40]"}));
  EXPECT_TRUE(open({log}).isEmpty());
  // Relative luminance as the accessibility guidelines reckon it.
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const ChartGeometry& g = chart()->geometry();
  // Packet 3 has a yellow strip above 251.5, packet 4 a yellow and a red one above 600.
  ASSERT_EQ(g.beyond.size(), 3u);
  EXPECT_EQ(g.beyond[2].red, true);
  EXPECT_EQ(g.beyond[2].bottom, std::lround(g.mapValueToY(600)));
  EXPECT_EQ(g.beyond[0].bottom, std::lround(g.mapValueToY(251.5)));
  // row: the hue of the field's text (-1: the usual text), the chart's read-out; the marks read
  // on the charted field's light yellow, then on a second channel's teal
  const std::tuple<int, int, const char*> cases[] = {{1, -1, "250 mAh\n"},
                                                     {3, 36, "252 mAh, above yellow high"},
                                                     {4, 0, "768 mAh, above red high"}};
  for (const bool second : {false, true}) {
    for (const auto& [row, hue, readOut] : cases) {
      scroll()->setValue(row);
      const QColor text = fieldOf(1)->palette().color(QPalette::Text);
      EXPECT_NEAR(text.hsvHue(), hue, 6) << row;
      EXPECT_EQ(text == QGuiApplication::palette().color(QPalette::Text), hue < 0) << row;
      const auto [dark, light] =
          std::minmax({luminance(text), luminance(fieldOf(1)->palette().color(QPalette::Base))});
      EXPECT_GE((light + 0.05) / (dark + 0.05), 4.5) << row;
      if (second) continue;
      const ChartGeometry::Column& bar = g.columns[std::size_t(row - 1)];
      EXPECT_TRUE(holds(chart()->toolTipAt(QPoint(bar.x, bar.bottom - 1)), readOut));
    }
    m_window.chartChannel(4);
    m_window.toggleSecondChannel(1);
  }

  // Edit Limits: a cell that is no number is named, and the dialog stays for OK again.
  EXPECT_TRUE(follow(log).isEmpty());
  const QStringList told = test::withDialog(
      [this] { action("editLimits")->trigger(); },
      [](QDialog& editor) {
        auto* table = editor.findChild<QTableWidget*>(QStringLiteral("limitsTable"));
        auto* ok = editor.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        table->item(0, 1)->setText(QStringLiteral("3x"));
        ok->click();
        table->item(0, 1)->setText(QStringLiteral("251.5"));
        table->item(0, 3)->setText(QStringLiteral("255"));
        ok->click();
      });
  EXPECT_EQ(told, QStringList("Battery A RAAC [mAh], Yellow high: \"3x\" is no number."));
  EXPECT_EQ(readFile(limitsFile.toStdString()),
            "[1]\n; Battery A RAAC [mAh]\nyellowHigh=251.5\nredHigh=255\n");
  EXPECT_EQ(m_window.crossings().rowCount(), 2);
  append(log, packets(256, 257));
  ASSERT_TRUE(reach(6));
  auto* alarm = control<QAbstractButton>(QStringLiteral("alarmMark"));
  EXPECT_TRUE(alarm->isVisible());
  EXPECT_EQ(alarm->text(), "2 red limits crossed");
  // From packet 1: F8 twice, then Shift+F8.
  scroll()->setValue(1);
  m_window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
  for (const auto& [keys, shown] :
       {std::pair{Qt::NoModifier, "3/6"}, {Qt::NoModifier, "4/6"}, {Qt::ShiftModifier, "3/6"}}) {
    QTest::keyClick(&m_window, Qt::Key_F8, keys);
    EXPECT_EQ(packetLabel(), shown);
  }
  click(alarm);
  EXPECT_FALSE(alarm->isVisible());
  auto* list = m_window.findChild<CrossingsWindow*>();
  ASSERT_TRUE(list != nullptr && list->isVisible());
  EXPECT_EQ(list->copiedText(),
            "packet 3; Battery A RAAC; 252; above yellow high\n"
            "packet 4; Battery A RAAC; 768; above red high\n"
            "packet 5; Battery A RAAC; 256; above red high\n"
            "packet 6; Battery A RAAC; 257; above red high\n");
  auto* table = list->findChild<QTableView*>();
  table->setCurrentIndex(table->model()->index(2, 0));
  QTest::keyClick(table, Qt::Key_Return);
  EXPECT_EQ(packetLabel(), "5/6");
  // Another program's limits, read again by themselves; no alarm for packets already shown. The
  // second change comes when the window's own write has settled.
  for (const auto& [text, rows] :
       {std::pair{"[6]\nyellowLow=1\n", 6}, {"[6]\nyellowLow=1\n[1]\nredLow=300\n", 11}}) {
    std::ofstream(limitsFile.toStdString()) << text;
    EXPECT_TRUE(
        QTest::qWaitFor([&, n = rows] { return m_window.crossings().rowCount() == n; }, 5000))
        << m_window.crossings().rowCount();
  }
  EXPECT_FALSE(alarm->isVisible());
  QFile::remove(limitsFile);
}

TEST_F(WindowTest, ChartLabelSpacingAndTemperatureFilter) {
  // packets, channel, the byte position and value; labels every so many packets (0:
  // automatic), the value charted
  const std::tuple<int, int, int, int, int, double> cases[] = {
      {100, 2, 38, 64, 0, 5}, {101, 2, 38, 64, 5, 5},     {110, 2, 38, 64, 6, 5},
      {130, 2, 38, 64, 6, 5}, {150, 2, 38, 64, 8, 5},     {5000, 2, 38, 64, 250, 5},
      {2, 23, 69, 69, 0, 0},  {2, 23, 69, 70, 0, -47.56},  // -50.79 and -47.56 C
      {2, 24, 70, 0, 0, 0},   {2, 22, 68, 0, 0, -273.15},
  };
  for (const auto& [packets, channel, position, value, divisions, charted] : cases) {
    m_window.packets().clear();
    for (int i = 1; i <= packets; ++i)
      (m_window.packets().append() = PacketBytes{})[std::size_t(position)] = std::uint8_t(value);
    m_window.chartChannel(channel);
    EXPECT_EQ(chart()->autoCategorySpacing() ? 0 : chart()->divisionsPerLabel(), divisions)
        << packets;
    EXPECT_EQ(chart()->rowCount(), packets);
    EXPECT_NEAR(chart()->value(packets), charted, 0.005) << channel << " " << value;
  }
}

// Runs as its own CTest entry under a German locale, which sets TWK_EXPECT_DECIMAL_COMMA.
TEST_F(WindowTest, DecimalComma) {
  if (!qEnvironmentVariableIsSet("TWK_EXPECT_DECIMAL_COMMA")) GTEST_SKIP();
  const std::string log = generatedLog(12, 1);
  open({log});
  EXPECT_TRUE(holds(field(2), ","));
  EXPECT_TRUE(exportCsv().isEmpty());
  std::string expected = converted(log);
  std::replace(expected.begin() + expected.find('\n'), expected.end(), '.', ',');
  EXPECT_EQ(readFile(csvPath()), expected);
}

// Open reads on past lines that cannot be stored: every other packet is loaded, the view shows
// each skipped line in red, and one message at the end names them, ten at most. A file that
// fails is named with the chosen files not read; the load so far stays shown. Cancel changes
// nothing; an answer text of 32767 characters still goes to the decoder (and fails there), one
// more is refused before anything changes. The view holds the last file's lines and highlights
// the shown packet's line, scrolled into view; a packet of an earlier file has none.
TEST_F(WindowTest, OpenReadsOnPastLinesThatCannotBeStoredAndNamesFilesThatFail) {
  const QString a = QString::fromStdString(generatedLog(12, 1));
  const QString b = QString::fromStdString(generatedLog(9, 3));
  const QString before = QString::fromStdString(generatedLog(20, 7));
  const QString missing = QString::fromStdString(m_dir.file("missing.log"));
  const QString longest = QString::fromStdString(m_dir.file("")).leftJustified(32767, 'n');
  const QString stopped = "Decoding stopped in " + missing + ":\nNo such file";
  const std::string good = test::telemetryLine({{35, 4}});
  const std::string tooWide = test::telemetryLine({}, 12) + std::string(66000, '0');
  const QString one = QString::fromStdString(
      writeLog("one.log", {good, "# a", test::telemetryLine({}, 170), good}));
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i) many.insert(many.end(), {tooWide, good});
  const QString twelve = QString::fromStdString(writeLog("twelve.log", many));
  const QStringList inOne = {one + ", line 3: line too long: 342 hex digits"};
  const QStringList inTwelve = {
      "twelve.log, line 1: line too long: 66026 characters besides blanks",
      "line 19:", "… and 2 more."};
  // chosen; the parts of the one message, in order; the packet label and the file label then;
  // the packet shown -> its line in the log view, -1 for none
  using Lines = std::vector<std::pair<int, int>>;
  const std::tuple<std::optional<QStringList>, QStringList, QString, QString, Lines> cases[] = {
      {QStringList{a, missing, b}, {stopped, "not read:\n" + b}, "1/12", a, {}},
      {QStringList{missing, b}, {stopped, "not read:\n" + b}, "1/0", "", {}},
      {std::nullopt, {}, "1/20", before, {}},
      {QStringList{longest + "n"}, {"Es wurden zu viele Dateien ausgewählt!"}, "1/20", before, {}},
      {QStringList{longest}, {"Decoding stopped in "}, "1/0", "", {}},
      {QStringList{a, b, one}, inOne, "1/23", one, {{1, -1}, {22, 0}, {23, 2}}},
      {QStringList{twelve}, inTwelve, "1/12", twelve, {{12, 23}, {2, 3}, {11, 21}}}};
  for (const auto& [chosen, message, label, file, lines] : cases) {
    open({before.toStdString()});
    m_choice = chosen;
    const QStringList boxes = test::answerBoxes([this] { m_shell->open(); });
    EXPECT_TRUE(oneBox(boxes, message));
    EXPECT_FALSE(holds(boxes.join(""), "line 21:"));
    EXPECT_EQ(packetLabel(), label);
    EXPECT_EQ(fileLabel(), file);
    for (const auto& [row, line] : lines) {
      scroll()->setValue(row);
      EXPECT_EQ(highlighted(), line) << row;
      if (line < 0) continue;
      const QRect shown = logView().cursorRect(logView().extraSelections()[0].cursor);
      EXPECT_TRUE(logView().viewport()->rect().contains(shown.center())) << row;
    }
  }
  // The last load's view: each skipped line in red between the packets' lines.
  const QTextBlock first = logView().document()->firstBlock();
  EXPECT_EQ(first.text(),
            "line 1 skipped: line too long: 66026 characters besides blanks (at most 65535 are "
            "read)");
  ASSERT_FALSE(first.textFormats().isEmpty());
  EXPECT_EQ(first.textFormats().front().format.foreground().color(), QColor(Qt::red));
  EXPECT_EQ(first.next().textFormats().front().format.foreground().color(), QColor(Qt::black));
}

// The open dialog offers log files in any case, and with "All Files" also names without a dot,
// at a size that shows every column. Each file dialog comes back at the size and in the folder
// it was left, apart from the other; a full path typed into the name field chooses a file in
// another folder, where the dialog opens next. The main window comes back where it was,
// maximised or not, on a screen that exists and no larger than it.
TEST(UserSettings, DialogsAndTheWindowComeBackAsLeft) {
  test::TempDir dir;
  const QString open = QString::fromStdString(dir.path().string());
  const QString followed = open + "/followed";
  QDir().mkpath(followed);
  for (const char* name : {"a.log", "FLIGHT2.LOG", "notes.txt", "catalog", "followed/b.log"})
    dir.write(name, "");
  const FileChooser openDialog = logFileDialog(nullptr);
  const FileChooser followDialog = logFileDialog(nullptr, false);
  // Shows a chooser's dialog and lets user answer it once it is up; the files chosen.
  const auto answer = [](const FileChooser& chooser,
                         const std::function<void(QFileDialog&)>& user) {
    std::optional<QStringList> chosen;
    test::withDialog<QFileDialog>([&] { chosen = chooser(); }, user);
    return chosen;
  };
  const auto type = [](QFileDialog& dialog, const QString& name) {
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
  };
  QSize left;
  const auto chosen = answer(openDialog, [&](QFileDialog& dialog) {
    dialog.setDirectory(open);
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    const auto listed = [view] {  // the folder is listed in the background
      QStringList names;
      for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
        names += view->model()->index(r, 0, view->rootIndex()).data().toString();
      names.sort();
      return names.join(',');
    };
    const auto whole = [view] {  // every column shows its texts whole
      for (int column = 1; column < 4; ++column) {
        const int wanted = static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column);
        if (view->header()->sectionSize(column) < wanted) return false;
      }
      return view->header()->length() <= view->viewport()->width();
    };
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return listed() == "FLIGHT2.LOG,a.log,followed" && whole(); }, 5000))
        << listed().toStdString();
    dialog.selectNameFilter(QStringLiteral("All Files (*.*)"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return listed() == "FLIGHT2.LOG,a.log,catalog,followed,notes.txt"; }, 5000))
        << listed().toStdString();
    dialog.resize(dialog.size() + QSize(40, 30));
    left = dialog.size();
    type(dialog, QStringLiteral("a.log"));
  });
  EXPECT_EQ(chosen, std::optional(QStringList(open + "/a.log")));
  // The Follow Log dialog is left in another folder; the open dialog comes back in its own.
  answer(followDialog, [&](QFileDialog& dialog) {
    EXPECT_NE(dialog.size(), left);
    dialog.setDirectory(followed);
    type(dialog, QStringLiteral("b.log"));
  });
  const auto typed = answer(openDialog, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.size(), left);
    EXPECT_EQ(dialog.directory().absolutePath(), open);
    type(dialog, followed + "/b.log");
  });
  EXPECT_EQ(typed, std::optional(QStringList(followed + "/b.log")));
  for (const FileChooser& chooser : {openDialog, followDialog})
    answer(chooser, [&](QFileDialog& d) { EXPECT_EQ(d.directory().absolutePath(), followed); });

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  // where it was left: the normal place, whether it was maximised, whether it comes back there
  const std::tuple<QRect, bool, bool> places[] = {
      {QRect(30, 60, 500, 400), false, true},
      {QRect(30, 0, 500, 400), false, false},       // at the very top: its title bar would be above
      {QRect(5000, 3000, 500, 400), false, false},  // on a monitor unplugged since
      {QRect(60, 50, 450, 350), true, true},
      {QRect(60, 0, 450, 350), true, false},
      {QRect(10, 10, screen.width() + 300, screen.height() + 300), false, false},  // larger screen
  };
  for (const auto& [place, maximised, same] : places) {
    MainWindow window;
    window.setGeometry(place);
    maximised ? window.showMaximized() : window.show();
    if (maximised) (void)QTest::qWaitFor([&, left = place] { return window.geometry() != left; });
    window.close();
    MainWindow back;
    back.restorePlace();
    back.show();
    EXPECT_EQ(back.isMaximized(), maximised);
    // The place is the client area's; the frame's title bar goes above it.
    const QRect normal = back.normalGeometry();
    EXPECT_TRUE(screen.contains(normal)) << place.x();
    EXPECT_GE(normal.top() - screen.top(), back.style()->pixelMetric(QStyle::PM_TitleBarHeight))
        << place.y();
    EXPECT_EQ(normal == place, same) << place.y();
  }
}

}  // namespace
}  // namespace twk
