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
using test::readFile;

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
QColor rgb(QRgb value) {
  return QColor::fromRgb(value);
}

class WindowTest : public test::WindowTest {
 protected:
  ChannelRow valuesOf(int row) const {
    ChannelRow values{};
    convertPacket(m_window.packets().bytes(row), values);
    return values;
  }
  // What twk-csv writes for the logs as one load, in the C locale.
  std::string converted(const std::vector<std::string>& logs) const {
    std::string command = "LC_ALL=C " TWK_CSV_PATH " -o " + m_dir.file("expected");
    for (const std::string& log : logs) command += " '" + log + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    return readFile(m_dir.file("expected"));
  }
  // Drags urls (none: plain text) onto the log view and drops them; whether the view took
  // them, and the boxes shown.
  std::pair<bool, QStringList> drop(const QList<QUrl>& urls) {
    QMimeData data;
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
  static QUrl url(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
  }
  // The value fields show the packet the scroll bar names, or nothing without packets.
  void expectPanel() const {
    const int packet = scroll()->value();
    for (int n = 0; n < kChannelCount; ++n) {
      EXPECT_EQ(field(n).toStdString(),
                count() == 0 ? "" : channelText(n, valuesOf(packet)[std::size_t(n)], "."))
          << "packet " << packet << ", field " << n;
    }
  }
  // The log view's highlighted line, -1 for none.
  int highlighted() const {
    const QList<QTextEdit::ExtraSelection> marks = logView().extraSelections();
    return marks.isEmpty() ? -1 : marks.front().cursor.blockNumber();
  }
};

TEST_F(WindowTest, PanelShowsThePacketTheScrollBarNames) {
  open({generatedLog(342, 7)});
  expectPanel();
  scroll()->setValue(17);
  EXPECT_EQ(packetLabel(), "17/342");
  expectPanel();
  scroll()->setSliderDown(true);  // the panel follows a dragged thumb
  scroll()->setSliderPosition(40);
  EXPECT_EQ(packetLabel(), "40/342");
  expectPanel();
  scroll()->setSliderDown(false);
  // A value wider than its field shows its start, and all of it where the mouse rests.
  open({test::writeLog("wide.log",
                       {test::telemetryLine({{76, 0xFF}, {77, 0xFF}, {78, 0xFF}, {79, 0xFF}})})});
  EXPECT_EQ(fieldOf(28)->cursorPosition(), 0);
  EXPECT_EQ(fieldOf(28)->toolTip(), "4294967295");
}

// The chart's choices, made with the key F on a clicked chart and from its menu, hold for the
// next window and show there in the menu too.
TEST_F(WindowTest, TheChartsChoicesOutliveTheWindow) {
  open({generatedLog(40, 3)});
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
}

// Label by On-board Time names the bars by their packets' times, to the minute; a clock reset
// shows as a jump in the labels with the bars in packet order.
TEST_F(WindowTest, LabelsByOnBoardTimeJumpAtAClockReset) {
  const auto at = [](unsigned seconds) {
    const unsigned n = seconds * 384;
    return test::telemetryLine(
        {{17, n >> 24}, {18, (n >> 16) & 0xFF}, {19, (n >> 8) & 0xFF}, {20, n & 0xFF}});
  };
  const unsigned day = 86400;
  open({test::writeLog("reset.log",
                       {at(2 * day + 14 * 3600 + 5 * 60), at(2 * day + 50700), at(60), at(125)})});
  action("labelByTime")->trigger();
  const char* times[] = {"2d 14:05", "2d 14:05", "0d 00:01", "0d 00:02"};
  for (int row = 1; row <= 4; ++row) {
    EXPECT_EQ(chart()->categoryLabel(row), times[row - 1]) << row;
    EXPECT_EQ(chart()->rowNumber(row), row);
  }
  const ChartGeometry& g = chart()->geometry();
  const QString readOut = chart()->toolTipAt(QPoint(g.columns[2].x, g.top + g.height / 2));
  EXPECT_TRUE(readOut.startsWith("Packet 3: ") && readOut.contains("0d 00:01:00"))
      << readOut.toStdString();
  // A copied or saved picture says what it shows above the chart.
  EXPECT_EQ(chart()->pictureTitle(),
            QString::fromUtf8("Battery A RAAC [mAh] \u00b7 reset.log \u00b7 packets "
                              "1\u20134 \u00b7 on-board 2d 14:05 \u2013 "
                              "0d 00:02"));
  EXPECT_EQ(
      chartPicture(*chart()).height(),
      (chart()->height() + chart()->fontMetrics().height() + 8) * chart()->devicePixelRatio());
  action("labelByTime")->trigger();
  EXPECT_EQ(chart()->categoryLabel(3), "3");
}

// A plain click on an option button charts its channel alone, and only its button is checked;
// Ctrl+click adds a second channel on its own axis at the right with its own colour and legend
// entry and takes it off again. A click on a bar shows its packet; a load charts channel 1.
TEST_F(WindowTest, OptionButtonsChartOneOrTwoChannels) {
  open({generatedLog(300, 4)});
  const auto ctrl = Qt::ControlModifier;
  // the button clicked, with Ctrl or not -> the channels charted (-1: none second)
  const std::tuple<int, Qt::KeyboardModifiers, int, int> steps[] = {
      {7, {}, 7, -1},  {12, {}, 12, -1},  {3, {}, 3, -1},    {4, ctrl, 3, 4},
      {3, ctrl, 3, 4}, {12, ctrl, 3, 12}, {12, ctrl, 3, -1}, {12, ctrl, 3, 12},
      {7, {}, 7, -1},  {3, {}, 3, -1},    {4, ctrl, 3, 4}};
  const auto buttons = m_window.findChildren<QRadioButton*>();
  for (const auto& [n, keys, first, second] : steps) {
    click(button(n), keys);
    for (QRadioButton* b : buttons) {
      EXPECT_EQ(b->isChecked(), b == button(first)) << n << b->objectName().toStdString();
    }
    EXPECT_EQ(chart()->value(9), valuesOf(9)[std::size_t(first)]) << n;
    ASSERT_EQ(chart()->hasOverlay(), second >= 0) << n;
    if (second < 0) continue;
    EXPECT_EQ(chart()->overlayValue(9), valuesOf(9)[std::size_t(second)]) << n;
    EXPECT_EQ(fieldOf(second)->palette().color(QPalette::Base), rgb(0xD2EEEA));
  }
  // Battery A's temperature with its volts: legend, read-out, title and picture name both.
  EXPECT_EQ(chart()->legend(), QStringList({"Battery A Temp [C]", "Battery A Volts [V]"}));
  const ChartGeometry& g = chart()->geometry();
  const QString volts = QString::fromStdString(channelText(4, valuesOf(9)[4], "."));
  const QString readOut = chart()->toolTipAt(QPoint(g.columns[8].x, g.top + 1));
  EXPECT_TRUE(readOut.startsWith("Packet 9: ")) << readOut.toStdString();
  EXPECT_TRUE(holds(readOut, "\nBattery A Volts: " + volts + " V"));
  EXPECT_TRUE(chart()->pictureTitle().startsWith(
      "Battery A Temp [C] and Battery A Volts [V] \u00b7 300_4.log"))
      << chart()->pictureTitle().toStdString();
  const auto teal = [this] {
    int pixels = 0;
    const QImage image = chartPicture(*chart());
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) pixels += image.pixelColor(x, y) == rgb(0x00897B);
    }
    return pixels;
  };
  EXPECT_GT(teal(), g.width);  // the line, its axis and the legend
  const ChartGeometry::Column& bar = g.columns[1];
  click(chart(), {}, QPoint(bar.x + bar.width / 2, bar.bottom - 1));
  EXPECT_EQ(packetLabel(), "2/300");
  open({generatedLog(12, 1)});
  EXPECT_FALSE(chart()->hasOverlay());
  EXPECT_EQ(teal(), 0);
  for (QRadioButton* b : buttons) EXPECT_EQ(b->isChecked(), b == button(1));
}

// Whatever the load, the position, the values and the chart belong to the load shown, never to
// the one before, which was left at packet 5.
TEST_F(WindowTest, ALoadShowsNothingOfTheLoadBefore) {
  const std::string full = generatedLog(5000, 11);
  const std::string small = generatedLog(30, 12);
  const std::string note = test::writeLog("note.txt", {"pass planning, nothing received"});
  const std::string other = test::writeLog("other.log", {"8C 10 33 67 58 30 47 4E 44 2D 32 00"});
  const std::string extra = test::telemetryLine({{35, 7}, {36, 1}});  // past the table
  const std::string overfull = m_dir.write("overfull.log", readFile(full) + extra + "\r\n");
  struct Case {
    std::string before;
    std::function<QStringList()> load;
    std::vector<const char*> message;  // parts of the one message shown
    QString packetLabel;
  };
  const Case cases[] = {
      {full, [&] { return open({full}); }, {}, "1/5000"},
      {full,
       [&] {
         return open({note, other});
       },
       {"note.txt", "other.log", "X0TWK-1"},
       "1/0"},
      {small, [&] { return drop({url(other)}).second; }, {"other.log", "X0TWK-1"}, "5/30"},
      {small, [&] { return open({overfull}); }, {"packet table full"}, "1/5000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.packetLabel.toStdString());
    open({c.before});
    scroll()->setValue(5);
    const QStringList boxes = c.load();
    ASSERT_EQ(boxes.size(), c.message.empty() ? 0 : 1);
    for (const char* part : c.message) EXPECT_TRUE(holds(boxes[0], part));
    EXPECT_EQ(packetLabel(), c.packetLabel);
    expectPanel();
    EXPECT_EQ(chart()->rowCount(), count());
    if (count() > 0) continue;
    EXPECT_EQ(control<QGroupBox>(QStringLiteral("chartFrame"))->title(), "Graph");
    EXPECT_TRUE(logText().isEmpty());
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
  const auto live = [&log](const char* status) {
    return QStringLiteral("Following \u00b7 %1 \u00b7 ").arg(QString::fromUtf8(status)) +
           QString::fromStdString(log);
  };
  EXPECT_TRUE(follow(log).isEmpty());
  EXPECT_EQ(packetLabel(), "3/3");
  EXPECT_EQ(field(1), "3");
  EXPECT_EQ(fileLabel(), live("0 packets in the last minute \u00b7 last packet 0 s ago"));
  const std::string tooLong = test::telemetryLine({}, 150) + "\r\n";
  const QStringList none = test::answerBoxes([&] {
    append(log, packet(4).substr(90) + tooLong + packet(5));
    ASSERT_TRUE(reach(5));
    EXPECT_EQ(packetLabel(), "5/5");
    EXPECT_EQ(field(1), "5");
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
    EXPECT_EQ(packetLabel(), "2/6");
    EXPECT_EQ(field(1), "2");
  });
  EXPECT_TRUE(none.isEmpty()) << none.join('\n').toStdString();
  // A stalled feed: the age counts on, and from a minute on it is marked.
  const std::tuple<int, const char*, bool> ages[] = {
      {58, "3 packets in the last minute \u00b7 last packet 58 s ago", false},
      {1, "1 packet in the last minute \u00b7 last packet 59 s ago", false},
      {121, "0 packets in the last minute \u00b7 last packet 3 min ago", true}};
  for (const auto& [seconds, status, marked] : ages) {
    now += seconds * 1000;
    const QString expected = live((std::string(status) + " \u00b7 2 lines skipped").c_str());
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

  // Another load, opened or dropped, ends following: Stop Following is greyed again and the
  // label no longer says "Following".
  const std::function<void()> loads[] = {[&] { open({generatedLog(12, 1)}); },
                                         [&] { drop({url(generatedLog(9, 3))}); }};
  for (const auto& load : loads) {
    follow(log);
    ASSERT_TRUE(action("stopFollowing")->isEnabled());
    load();
    EXPECT_FALSE(m_shell->followCommand().following());
    EXPECT_FALSE(action("stopFollowing")->isEnabled());
    EXPECT_FALSE(fileLabel().startsWith("Following")) << fileLabel().toStdString();
  }
  follow(log);
  m_shell->stopFollowing();
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
  // what is done; the newest number, the packet label, the RAAC shown, the first charted number,
  // the rows a pass starts at, and the note in the file label
  const std::tuple<Action, int, int, QString, int, int, std::vector<int>, const char*> steps[] = {
      {Back, 150, 150, "150/150", 150, 51, {}, "newest 100 held \u00b7 /"},
      {Append, 151, 180, "180/180", 180, 81, {}, "newest 100 held \u00b7 /"},
      {Back, 90, 180, "90/180", 90, 81, {}, "newest 100 held \u00b7 /"},
      {Append, 181, 185, "90/185", 90, 86, {}, "newest 100 held \u00b7 /"},
      {Back, 185, 185, "185/185", 185, 86, {}, "newest 100 held \u00b7 /"},
      {Empty, 1, 190, "190/190", 5, 91, {96}, " (emptied at "},
      {Replace, 1, 193, "193/193", 3, 94, {93, 98}, " (replaced at "},
  };
  for (const auto& [step, from, to, label, raac, firstCharted, passes, note] : steps) {
    if (step == Append) append(log, packets(from, to));
    if (step == Empty) std::ofstream(log, std::ios::trunc | std::ios::binary) << packets(1, 5);
    if (step == Replace) std::filesystem::rename(m_dir.write("next.log", packets(1, 3)), log);
    if (step == Back) scroll()->setValue(m_window.packets().rowOf(from));
    ASSERT_TRUE(reach(to)) << to;
    EXPECT_EQ(packetLabel(), label);
    EXPECT_EQ(scroll()->maximum(), 100);
    EXPECT_EQ(field(1).toInt(), raac);
    // The view holds both passes' lines: the packet's number in the load is its line.
    EXPECT_EQ(highlighted(), label.section('/', 0, 0).toInt() - 1);
    EXPECT_EQ(chart()->rowCount(), 100);
    EXPECT_EQ(chart()->rowNumber(1), firstCharted);
    EXPECT_EQ(chart()->value(100), m_window.packets().bytes(100)[36]) << to;
    EXPECT_EQ(m_window.packets().passStartRows(), passes);
    EXPECT_EQ(chart()->passStarts(), passes);
    EXPECT_TRUE(holds(fileLabel(), note));
  }
  EXPECT_TRUE(exportCsv().isEmpty());
  EXPECT_TRUE(fileLabel().startsWith("Following") &&
              fileLabel().endsWith(QString::fromStdString(csvPath()) + " has been written)"))
      << fileLabel().toStdString();
  // The packets held: 94 to 185 of the first pass, 1 to 5 of the second, 1 to 3 of the third.
  EXPECT_EQ(readFile(csvPath()),
            converted({m_dir.write("held.log", packets(94, 185) + packets(1, 5) + packets(1, 3))}));
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
  const QStringList told = open({log});
  ASSERT_EQ(told.size(), 1);
  EXPECT_TRUE(holds(told[0], "limits.ini:4: section [40]"));
  EXPECT_TRUE(open({log}).isEmpty());
  // Relative luminance and contrast as the accessibility guidelines reckon them.
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  // row: the hue of the field's text (-1: the usual text), the chart's read-out
  const std::tuple<int, int, const char*> cases[] = {{1, -1, "250 mAh\n"},
                                                     {3, 36, "252 mAh, above yellow high"},
                                                     {4, 0, "768 mAh, above red high"}};
  const ChartGeometry& g = chart()->geometry();
  for (const auto& [row, hue, readOut] : cases) {
    scroll()->setValue(row);
    const QColor text = fieldOf(1)->palette().color(QPalette::Text);
    EXPECT_NEAR(text.hsvHue(), hue, 6) << row;
    EXPECT_EQ(text == QGuiApplication::palette().color(QPalette::Text), hue < 0) << row;
    const ChartGeometry::Column& bar = g.columns[std::size_t(row - 1)];
    EXPECT_TRUE(holds(chart()->toolTipAt(QPoint(bar.x, bar.bottom - 1)), readOut));
  }
  // Packet 3 has a yellow strip above 251.5, packet 4 a yellow and a red one above 600.
  ASSERT_EQ(g.beyond.size(), 3u);
  EXPECT_EQ(g.beyond[2].red, true);
  EXPECT_EQ(g.beyond[2].bottom, std::lround(g.mapValueToY(600)));
  EXPECT_EQ(g.beyond[0].bottom, std::lround(g.mapValueToY(251.5)));
  // Both marks read on the charted field's light yellow and on a second channel's teal.
  for (const int second : {-1, 1}) {
    if (second > 0) m_window.chartChannel(4);
    if (second > 0) m_window.toggleSecondChannel(second);
    for (const int row : {3, 4}) {
      scroll()->setValue(row);
      const QPalette colours = fieldOf(1)->palette();
      const auto [dark, light] = std::minmax(
          {luminance(colours.color(QPalette::Text)), luminance(colours.color(QPalette::Base))});
      EXPECT_GE((light + 0.05) / (dark + 0.05), 4.5) << row;
    }
  }

  const auto editLimits = [this](const std::vector<std::tuple<int, int, QString>>& cells) {
    QStringList boxes;
    QTimer::singleShot(0, [&] {
      auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(editor, nullptr);
      auto* table = editor->findChild<QTableWidget*>(QStringLiteral("limitsTable"));
      for (const auto& [channel, column, text] : cells)
        table->item(channel - 1, column)->setText(text);
      auto* ok = editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
      boxes = test::answerBoxes([ok] { ok->click(); });
      if (editor->isVisible()) editor->reject();
    });
    action("editLimits")->trigger();
    return boxes;
  };
  EXPECT_TRUE(follow(log).isEmpty());
  EXPECT_EQ(editLimits({{1, 1, "3x"}}),
            QStringList("Battery A RAAC [mAh], Yellow high: \"3x\" is no number."));
  EXPECT_TRUE(editLimits({{1, 1, "251.5"}, {1, 3, "255"}}).isEmpty());
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
  // Another program's limits, read again by themselves; no alarm for packets already shown.
  std::ofstream(limitsFile.toStdString()) << "[6]\nyellowLow=1\n";
  EXPECT_TRUE(QTest::qWaitFor([this] { return m_window.crossings().rowCount() == 6; }, 5000));
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
    PacketStore& store = m_window.packets();
    store.clear();
    for (int i = 1; i <= packets; ++i) {
      PacketBytes& bytes = store.append();
      bytes.fill(0);
      bytes[std::size_t(position)] = std::uint8_t(value);
    }
    m_window.chartChannel(channel);
    EXPECT_EQ(chart()->autoCategorySpacing() ? 0 : chart()->divisionsPerLabel(), divisions)
        << packets;
    EXPECT_EQ(chart()->rowCount(), packets);
    EXPECT_NEAR(chart()->value(packets), charted, 0.005) << channel << " " << value;
  }
}

// The CSV holds what twk-csv writes for the logs as one load: a fresh load of 40 after one of
// 100, two files and a dropped one, short frames after long ones.
TEST_F(WindowTest, ExportWritesWhatTwkCsvWritesForTheLoad) {
  std::vector<std::string> longFrames, shortFrames;
  for (int i = 1; i <= 3; ++i) {
    longFrames.push_back(test::telemetryLine({{76, 0x10}, {79, std::uint8_t(i)}, {81, 0x7F}}, 120));
    shortFrames.push_back(test::telemetryLine({{35, std::uint8_t(i)}}, 40));
  }
  const std::vector<std::vector<std::string>> loads = {{generatedLog(100, 21)},
                                                       {generatedLog(40, 22)},
                                                       {generatedLog(12, 1), generatedLog(9, 3)},
                                                       {test::writeLog("long.log", longFrames)},
                                                       {test::writeLog("short.log", shortFrames)}};
  for (std::vector<std::string> load : loads) {
    open(load);
    if (load.size() == 2) drop({url(load.emplace_back(generatedLog(21, 4)))});
    EXPECT_TRUE(exportCsv().isEmpty());
    EXPECT_EQ(readFile(csvPath()), converted(load));
    EXPECT_EQ(fileLabel(), QString::fromStdString(csvPath()) + " has been written");
  }
  // A folder where the file goes: the message names it, the label stays.
  m_window.fileLabel().clear();
  std::filesystem::remove(csvPath());
  std::filesystem::create_directory(csvPath());
  const QStringList boxes = exportCsv();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(holds(boxes[0], QString::fromStdString(csvPath()) + " was not written:\nIs a dir"));
  EXPECT_TRUE(fileLabel().isEmpty());
}

// Runs as its own CTest entry under a German locale, which sets TWK_EXPECT_DECIMAL_COMMA.
TEST_F(WindowTest, DecimalComma) {
  if (!qEnvironmentVariableIsSet("TWK_EXPECT_DECIMAL_COMMA")) GTEST_SKIP();
  const std::string log = generatedLog(12, 1);
  open({log});
  EXPECT_TRUE(holds(field(2), ","));
  EXPECT_TRUE(exportCsv().isEmpty());
  std::string expected = converted({log});
  std::replace(expected.begin() + expected.find('\n'), expected.end(), '.', ',');
  EXPECT_EQ(readFile(csvPath()), expected);
}

// A drop adds the first local file to the load when its name ends in "log" in any case;
// anything else does nothing, and a file that fails is reported while the packets so far stay.
TEST_F(WindowTest, DropAddsTheFirstFileWhenItsNameEndsInLog) {
  const auto copied = [this](const std::string& name) {
    std::filesystem::copy_file(generatedLog(7, 7), m_dir.file(name));
    return url(m_dir.file(name));
  };
  std::filesystem::create_directory(m_dir.file("backlog"));
  const std::string tooLong = test::writeLog(
      "too_long.log", {test::telemetryLine({{35, 4}}), test::telemetryLine({}, 170)});
  const std::tuple<QList<QUrl>, int, int, QString> cases[] = {
      // dropped (none: plain text), packets added, lines shown, the message's end
      {{copied("flight.log")}, 7, 7, ""},
      {{copied("FLIGHT.LOG")}, 7, 7, ""},
      {{copied("catalog")}, 7, 7, ""},
      {{copied("flight.txt")}, 0, 100, ""},
      {{copied("first.log"), url(generatedLog(9, 9))}, 7, 7, ""},
      {{QUrl(QStringLiteral("https://example.org/pass.log"))}, 0, 100, ""},
      {{}, 0, 100, ""},
      {{url(m_dir.file("backlog"))}, 0, 100, ":\nIs a directory"},
      // The line skipped is shown and named; the packets of the file stay.
      {{url(tooLong)}, 1, 2, "too_long.log, line 2: line too long"},
  };
  for (const auto& [urls, added, shown, failure] : cases) {
    SCOPED_TRACE(urls.isEmpty() ? "text" : urls.front().toString().toStdString());
    open({generatedLog(100, 11)});
    const auto [taken, boxes] = drop(urls);
    EXPECT_EQ(taken, !urls.isEmpty());
    EXPECT_EQ(packetLabel(), QStringLiteral("1/%1").arg(100 + added));
    EXPECT_EQ(logText().count('\n'), shown);
    ASSERT_EQ(boxes.size(), failure.isEmpty() ? 0 : 1);
    if (failure.isEmpty()) continue;
    EXPECT_TRUE(holds(boxes[0], failure));
    EXPECT_FALSE(boxes[0].contains("not read"));
  }
}

// A file that fails is named with the chosen files not read; the load so far stays shown. Cancel
// changes nothing; an answer text of 32767 characters still goes to the decoder (and fails
// there), one more is refused before anything changes.
TEST_F(WindowTest, FailedFilesCancelAndTooManyFiles) {
  const std::string missing = m_dir.file("missing.log");
  const std::string longest = m_dir.file("") + std::string(32767 - m_dir.file("").size(), 'n');
  // chosen; the start and end of the one message; packets then, and the file label
  const std::tuple<std::optional<QStringList>, QString, QString, int, std::string> cases[] = {
      {QStringList{QString::fromStdString(generatedLog(12, 1)), QString::fromStdString(missing),
                   QString::fromStdString(generatedLog(9, 3))},
       "Decoding stopped in " + QString::fromStdString(missing) + ":\nNo such file",
       "not read:\n" + QString::fromStdString(generatedLog(9, 3)), 12, generatedLog(12, 1)},
      {QStringList{QString::fromStdString(missing), QString::fromStdString(generatedLog(9, 3))},
       "Decoding stopped in", QString::fromStdString(generatedLog(9, 3)), 0, ""},
      {std::nullopt, "", "", 20, generatedLog(20, 7)},
      {QStringList{QString::fromStdString(longest + "n")}, "Es wurden zu viele Dateien ausgewählt!",
       "", 20, generatedLog(20, 7)},
      {QStringList{QString::fromStdString(longest)}, "Decoding stopped", "", 0, ""},
  };
  for (const auto& [chosen, start, end, stored, label] : cases) {
    open({generatedLog(20, 7)});
    m_choice = chosen;
    const QStringList boxes = test::answerBoxes([this] { m_shell->open(); });
    ASSERT_EQ(boxes.size(), start.isEmpty() ? 0 : 1) << start.toStdString();
    const QString box = boxes.value(0, QStringLiteral(""));
    EXPECT_TRUE(box.startsWith(start) && box.endsWith(end)) << box.toStdString();
    EXPECT_EQ(packetLabel(), QStringLiteral("1/%1").arg(stored));
    EXPECT_EQ(fileLabel().toStdString(), label);
  }
}

// A load reads on past lines that cannot be stored: every other packet is loaded, the view
// shows each skipped line in red, and one message at the end names them, ten at most. The view
// holds the last file's lines and highlights the shown packet's line, scrolled into view; a
// packet of an earlier file has none.
TEST_F(WindowTest, ALoadReadsOnPastLinesThatCannotBeStored) {
  const std::string good = test::telemetryLine({{35, 4}});
  const std::string tooWide = test::telemetryLine({}, 12) + std::string(66000, '0');
  const std::string one =
      test::writeLog("one.log", {good, "# a", test::telemetryLine({}, 170), good});
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i) many.insert(many.end(), {tooWide, good});
  const std::string twelve = test::writeLog("twelve.log", many);
  struct Case {
    std::vector<std::string> paths;
    int stored;
    QStringList named;                             // in the message, in this order
    const char* last;                              // the message's last line about lines
    std::vector<std::pair<int, int>> highlighted;  // the packet shown -> its line, -1 for none
  };
  const Case cases[] = {
      {{generatedLog(12, 1), generatedLog(9, 3), one},
       23,
       {QString::fromStdString(one) + ", line 3: line too long: 342 hex digits"},
       "line 3: line too long",
       {{1, -1}, {22, 0}, {23, 2}}},
      {{twelve},
       12,
       {"twelve.log, line 1: line too long: 66026 characters besides blanks", "line 19:"},
       "… and 2 more.",
       {{12, 23}, {2, 3}, {11, 21}}},
  };
  for (const Case& c : cases) {
    const QStringList boxes = open(c.paths);
    ASSERT_EQ(boxes.size(), 1);
    qsizetype at = 0;
    for (const QString& part : c.named) {
      at = boxes[0].indexOf(part, at);
      EXPECT_GE(at, 0) << part.toStdString() << " in " << boxes[0].toStdString();
    }
    EXPECT_FALSE(boxes[0].contains("line 21:")) << boxes[0].toStdString();
    EXPECT_TRUE(holds(boxes[0], c.last));
    EXPECT_EQ(count(), c.stored);
    for (const auto& [row, line] : c.highlighted) {
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

// The open dialog offers log files in any case, and with "All Files" also names without a dot.
TEST(LogFileDialog, ShowsLogFilesInAnyCaseAndAllFilesAlsoWithoutADot) {
  test::TempDir dir;
  for (const char* name : {"flight.log", "FLIGHT2.LOG", "notes.txt", "catalog"})
    dir.write(name, "");
  QFileDialog dialog;
  setUpLogFileDialog(dialog);
  dialog.setDirectory(QString::fromStdString(dir.path().string()));
  dialog.show();
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  ASSERT_NE(view, nullptr);
  const auto listed = [view] {  // the folder is listed in the background
    QStringList names;
    for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
      names += view->model()->index(r, 0, view->rootIndex()).data().toString();
    }
    names.sort();
    return names.join(',');
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == "FLIGHT2.LOG,flight.log"; }, 5000))
      << listed().toStdString();
  dialog.selectNameFilter(QStringLiteral("All Files (*.*)"));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return listed() == "FLIGHT2.LOG,catalog,flight.log,notes.txt"; }, 5000))
      << listed().toStdString();
}

// Each file dialog opens at a size that shows every column and comes back at the size and in
// the folder it was left, apart from the other dialogs; the main window comes back where it
// was, maximised or not, on a screen that exists and no larger than it.
TEST(UserSettings, DialogsAndTheWindowComeBackAsLeft) {
  test::TempDir dir;
  const QString open = QString::fromStdString(dir.path().string());
  const QString followed = QString::fromStdString((dir.path() / "followed").string());
  const QString log = QString::fromStdString(dir.write("a.log", ""));
  QDir().mkpath(followed);
  dir.write("followed/b.log", "");
  // Shows a chooser's dialog and lets user answer it once it is up.
  const auto answer = [](const FileChooser& chooser,
                         const std::function<void(QFileDialog&)>& user) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || !dialog->isVisible()) return;
      poll.stop();
      user(*dialog);
    });
    poll.start(5);
    return chooser();
  };
  const FileChooser openDialog = logFileDialog(nullptr);
  const FileChooser followDialog = logFileDialog(nullptr, false);
  QSize left;
  const auto chosen = answer(openDialog, [&](QFileDialog& dialog) {
    // Every column shows its texts whole once the folder is listed.
    dialog.setDirectory(open);
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    const auto whole = [view] {
      for (int column = 1; column < 4; ++column) {
        const int wanted = static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column);
        if (view->header()->sectionSize(column) < wanted) return false;
      }
      return view->header()->length() <= view->viewport()->width();
    };
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view->model()->rowCount(view->rootIndex()) > 0 && whole(); }, 3000));
    dialog.resize(dialog.size() + QSize(40, 30));
    left = dialog.size();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(QStringLiteral("a.log"));
    QTest::keyClick(name, Qt::Key_Return);
    if (!dialog.isVisible()) return;
    ADD_FAILURE() << "the dialog stayed open";
    dialog.reject();
  });
  EXPECT_EQ(chosen, std::optional(QStringList(log)));
  // The Follow Log dialog is left in another folder; the open dialog comes back in its own.
  answer(followDialog, [&](QFileDialog& dialog) {
    EXPECT_NE(dialog.size(), left);
    dialog.setDirectory(followed);
    QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
    dialog.selectFile(QStringLiteral("b.log"));
  });
  // There a full path typed into the name field chooses a file in another folder, where the
  // dialog opens next.
  const QString typed = followed + QStringLiteral("/b.log");
  const auto typedChosen = answer(openDialog, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.size(), left);
    EXPECT_EQ(dialog.directory().absolutePath(), open);
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(typed);
    QTest::keyClick(name, Qt::Key_Return);
    if (dialog.isVisible()) dialog.reject();
  });
  EXPECT_EQ(typedChosen, std::optional(QStringList(typed)));
  for (const FileChooser& chooser : {openDialog, followDialog}) {
    answer(chooser, [&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.directory().absolutePath(), followed);
      dialog.reject();
    });
  }

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
    {
      MainWindow window;
      window.setGeometry(place);
      maximised ? window.showMaximized() : window.show();
      (void)QTest::qWaitFor([&] { return window.geometry() != place || !maximised; });
      window.close();
    }
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
