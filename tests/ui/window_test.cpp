// The main window with its commands, driven as a user drives it: open, drop, follow, scroll,
// pick a channel, export. Values are compared with what the core and twk-csv give for the same
// logs.

#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QMimeData>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <fstream>
#include <functional>

#include "app/shell_fixture.h"
#include "telemetry/channel_conversion.h"
#include "telemetry/value_text.h"
#include "ui/log_file_dialog.h"
#include "ui/log_follow_command.h"
#include "ui/log_view_sink.h"
#include "ui/user_settings.h"

namespace twk {
namespace {

using test::generatedLog;
using test::readFile;

class WindowTest : public test::ShellTest {
 protected:
  // A load of packets whose bytes are 0 but byte position holds value.
  void fill(int packets, int position, int value) {
    PacketStore& store = m_window.packets();
    store.clear();
    for (int i = 1; i <= packets; ++i) {
      PacketBytes& bytes = store.append();
      bytes.fill(0);
      bytes[static_cast<std::size_t>(position)] = static_cast<std::uint8_t>(value);
    }
  }
  ChannelRow valuesOf(int row) {
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
    QWidget* view = m_window.logView().viewport();
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
  void expectPanel() {
    const int packet = scroll()->value();
    for (int n = 0; n < kChannelCount; ++n) {
      EXPECT_EQ(text1(n).toStdString(),
                m_window.packets().count() == 0
                    ? ""
                    : channelText(n, valuesOf(packet)[static_cast<std::size_t>(n)], "."))
          << "packet " << packet << ", field " << n;
    }
  }
};

TEST_F(WindowTest, PanelShowsThePacketTheScrollBarNames) {
  open({generatedLog(342, 7)});
  expectPanel();
  scroll()->setValue(17);
  EXPECT_EQ(label("packetLabel"), "17/342");
  expectPanel();
  scroll()->setSliderDown(true);  // the panel follows a dragged thumb
  scroll()->setSliderPosition(40);
  EXPECT_EQ(label("packetLabel"), "40/342");
  expectPanel();
  scroll()->setSliderDown(false);

  // A value wider than its field shows its start, and all of it where the mouse rests.
  open({test::writeLog("wide.log",
                       {test::telemetryLine({{76, 0xFF}, {77, 0xFF}, {78, 0xFF}, {79, 0xFF}})})});
  auto* rxCount = control<QLineEdit>(QStringLiteral("valueField(28)"));
  EXPECT_EQ(rxCount->cursorPosition(), 0);
  EXPECT_EQ(rxCount->toolTip(), "4294967295");
}

// The key F fits the chart that a click gave the focus, and the choice outlives the window.
TEST_F(WindowTest, KeyFFitsTheClickedChartAndANewWindowRemembersIt) {
  open({generatedLog(40, 3)});
  QTest::mouseClick(chart(), Qt::LeftButton, {}, chart()->rect().center());
  EXPECT_EQ(chart()->focusPolicy(), Qt::ClickFocus);
  QTest::keyClick(chart(), Qt::Key_F);
  EXPECT_TRUE(chart()->fitted());
  EXPECT_TRUE(MainWindow().findChild<BarChart*>(QStringLiteral("chart"))->fitted());
  QTest::keyClick(chart(), Qt::Key_F);  // back to bars, for the other tests too
  EXPECT_FALSE(MainWindow().findChild<BarChart*>(QStringLiteral("chart"))->fitted());
}

// The limits file of the configuration folder marks the panel's values, the chart's bars and
// its read-out; the lines it cannot read are told in a box once.
TEST_F(WindowTest, ValuesOutsideTheirLimitsAreMarkedInPanelAndChart) {
  const QString limits = user_settings::limitsFilePath();
  QDir().mkpath(QFileInfo(limits).absolutePath());
  {
    QFile file(limits);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[1]\nyellowHigh=300\nredHigh=600\n[40]\n");
  }
  const std::string log =
      test::writeLog("raac.log", {test::telemetryLine({{35, 1}}), test::telemetryLine({{35, 2}}),
                                  test::telemetryLine({{35, 3}})});
  const QStringList boxes = open({log});
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].contains("limits.ini:4: section [40]")) << boxes[0].toStdString();
  EXPECT_TRUE(open({log}).isEmpty());  // told once

  // packet: RAAC, its text colour, the chart's read-out
  const std::tuple<int, const char*, QRgb, const char*> cases[] = {
      {1, "256", QGuiApplication::palette().color(QPalette::Text).rgba(), "256 mAh\n"},
      {2, "512", QColor(0xB8, 0x6E, 0x00).rgba(), "512 mAh, above yellow high"},
      {3, "768", QColor(0xC0, 0x00, 0x00).rgba(), "768 mAh, above red high"},
  };
  const ChartGeometry& g = chart()->geometry();
  for (const auto& [packet, value, colour, readOut] : cases) {
    scroll()->setValue(packet);
    EXPECT_EQ(text1(1), value);
    auto* field = control<QLineEdit>(QStringLiteral("valueField(1)"));
    EXPECT_EQ(field->palette().color(QPalette::Text).rgba(), colour) << packet;
    const ChartGeometry::Column& bar = g.columns[std::size_t(packet - 1)];
    EXPECT_TRUE(chart()->toolTipAt(QPoint(bar.x, bar.bottom - 1)).contains(readOut))
        << chart()->toolTipAt(QPoint(bar.x, bar.bottom - 1)).toStdString();
  }
  // Packet 2 has a yellow strip above 300, packet 3 a yellow and a red one above 600.
  ASSERT_EQ(g.beyond.size(), 3u);
  EXPECT_EQ(g.beyond[2].red, true);
  EXPECT_EQ(g.beyond[2].bottom, std::lround(g.mapValueToY(600)));
  EXPECT_EQ(g.beyond[0].bottom, std::lround(g.mapValueToY(300)));
  QFile::remove(limits);
}

// Label by On-board Time names the bars by their packets' times, to the minute; a clock reset
// shows as a jump in the labels with the bars in packet order. The choice outlives the window.
TEST_F(WindowTest, LabelsByOnBoardTimeJumpAtAClockReset) {
  const auto at = [](unsigned seconds) {
    const unsigned count = seconds * 384;
    return test::telemetryLine({{17, count >> 24},
                                {18, (count >> 16) & 0xFF},
                                {19, (count >> 8) & 0xFF},
                                {20, count & 0xFF}});
  };
  const unsigned day = 86400;
  open({test::writeLog("reset.log",
                       {at(2 * day + 14 * 3600 + 5 * 60), at(2 * day + 50700), at(60), at(125)})});
  chart()->findChild<QAction*>(QStringLiteral("labelByTime"))->trigger();
  // row: its label with and without times
  const std::tuple<int, const char*, const char*> cases[] = {
      {1, "2d 14:05", "1"}, {2, "2d 14:05", "2"}, {3, "0d 00:01", "3"}, {4, "0d 00:02", "4"}};
  for (const auto& [row, time, number] : cases) {
    EXPECT_EQ(chart()->categoryLabel(row), time) << row;
    EXPECT_EQ(QString::number(chart()->rowNumber(row)), number) << row;
  }
  const ChartGeometry& g = chart()->geometry();
  const QString readOut = chart()->toolTipAt(QPoint(g.columns[2].x, g.top + g.height / 2));
  EXPECT_TRUE(readOut.startsWith("Packet 3: ") && readOut.contains("0d 00:01:00"))
      << readOut.toStdString();
  EXPECT_TRUE(MainWindow().findChild<BarChart*>(QStringLiteral("chart"))->timeLabels());
  // A copied or saved picture says what it shows above the chart.
  const QString title = QString::fromUtf8("RAAC [mAh] \u00b7 reset.log \u00b7 packets ");
  EXPECT_EQ(chart()->pictureTitle(),
            title + QString::fromUtf8("1\u20134 \u00b7 on-board 2d 14:05 \u2013 0d 00:02"));
  EXPECT_EQ(
      chartPicture(*chart()).height(),
      (chart()->height() + chart()->fontMetrics().height() + 8) * chart()->devicePixelRatio());
  chart()->findChild<QAction*>(QStringLiteral("labelByTime"))->trigger();
  EXPECT_EQ(chart()->categoryLabel(3), "3");
  EXPECT_FALSE(MainWindow().findChild<BarChart*>(QStringLiteral("chart"))->timeLabels());
}

TEST_F(WindowTest, OneOptionButtonAtATimeAndAClickOnABarShowsItsPacket) {
  open({test::writeLog("three.log", {test::telemetryLine({{55, 1}}), test::telemetryLine({{56, 2}}),
                                     test::telemetryLine({{56, 3}})})});
  for (const int n : {7, 12})
    control<QRadioButton>(QStringLiteral("chartButton(%1)").arg(n))->click();
  const auto buttons = m_window.findChildren<QRadioButton*>();
  EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(), [](auto* b) { return b->isChecked(); }),
            1);
  EXPECT_EQ(chart()->value(3), valuesOf(3)[12]);
  EXPECT_NE(chart()->value(3), 0);
  const ChartGeometry::Column& bar = chart()->geometry().columns[1];
  QTest::mouseClick(chart(), Qt::LeftButton, {}, QPoint(bar.x + bar.width / 2, bar.bottom - 1));
  EXPECT_EQ(label("packetLabel"), "2/3");
  // A load charts channel 1 again, and its button says so.
  open({generatedLog(12, 1)});
  for (QRadioButton* b : buttons) {
    EXPECT_EQ(b->isChecked(), b->objectName() == "chartButton(1)") << b->objectName().toStdString();
  }
}

// Ctrl+click charts a second channel beside the first, on its own axis at the right with its
// own colour and legend entry; Ctrl+click takes it off again, a plain click charts one channel.
TEST_F(WindowTest, CtrlClickChartsASecondChannelBesideTheFirst) {
  open({generatedLog(300, 4)});
  const auto ctrl = Qt::ControlModifier;
  // the button clicked, with Ctrl or not -> the channels charted (-1: none second)
  const std::tuple<int, Qt::KeyboardModifiers, int, int> steps[] = {
      {3, {}, 3, -1},    {4, ctrl, 3, 4}, {3, ctrl, 3, 4}, {12, ctrl, 3, 12}, {12, ctrl, 3, -1},
      {12, ctrl, 3, 12}, {7, {}, 7, -1},  {3, {}, 3, -1},  {4, ctrl, 3, 4}};
  for (const auto& [n, modifiers, first, second] : steps) {
    auto* button = control<QRadioButton>(QStringLiteral("chartButton(%1)").arg(n));
    QTest::mouseClick(button, Qt::LeftButton, modifiers, button->rect().center());
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("chartButton(%1)").arg(first))->isChecked());
    EXPECT_EQ(chart()->value(9), valuesOf(9)[std::size_t(first)]) << n;
    ASSERT_EQ(chart()->hasOverlay(), second >= 0) << n;
    if (second < 0) continue;
    EXPECT_EQ(chart()->overlayValue(9), valuesOf(9)[std::size_t(second)]) << n;
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("valueField(%1)").arg(second))
                  ->palette()
                  .color(QPalette::Base)
                  .rgba(),
              QColor(0xD2, 0xEE, 0xEA).rgba());
  }
  // Battery A's temperature with its volts: legend, read-out, title and picture name both.
  EXPECT_EQ(chart()->legend(), QStringList({"Temp [C]", "Volts [V]"}));
  const ChartGeometry& g = chart()->geometry();
  const QString readOut = chart()->toolTipAt(QPoint(g.columns[8].x, g.top + 1));
  const QString volts = QString::fromStdString(generalText(valuesOf(9)[4], "."));
  EXPECT_TRUE(readOut.startsWith("Packet 9: ") && readOut.contains("\nVolts: " + volts + " V"))
      << readOut.toStdString();
  EXPECT_TRUE(chart()->pictureTitle().startsWith("Temp [C] and Volts [V] \u00b7 300_4.log"))
      << chart()->pictureTitle().toStdString();
  const auto teal = [](const QImage& image) {
    int pixels = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x)
        pixels += image.pixelColor(x, y) == QColor(0x00, 0x89, 0x7b);
    }
    return pixels;
  };
  EXPECT_GT(teal(chartPicture(*chart())), g.width);  // the line, its axis and the legend
  open({generatedLog(12, 1)});                       // a load charts channel 1 alone
  EXPECT_FALSE(chart()->hasOverlay());
  EXPECT_EQ(teal(chartPicture(*chart())), 0);
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
    const char* what;
    std::string before;
    std::function<QStringList()> load;
    std::vector<const char*> message;  // parts of the one message shown
    QString label2;
  };
  const Case cases[] = {
      {"a new load", full, [&] { return open({full}); }, {}, "1/5000"},
      {"a load without packets",
       full,
       [&] {
         return open({note, other});
       },
       {"note.txt", "other.log", "X0TWK-1"},
       "1/0"},
      {"a dropped file without packets",
       small,
       [&] { return drop({url(other)}).second; },
       {"other.log", "X0TWK-1"},
       "5/30"},
      {"the line past the table",
       small,
       [&] { return open({overfull}); },
       {"packet table full"},
       "1/5000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open({c.before});
    scroll()->setValue(5);
    const QStringList boxes = c.load();
    ASSERT_EQ(boxes.size(), c.message.empty() ? 0 : 1);
    for (const char* part : c.message) EXPECT_TRUE(boxes[0].contains(part)) << part;
    EXPECT_EQ(label("packetLabel"), c.label2);
    expectPanel();
    EXPECT_EQ(chart()->rowCount(), count());
    if (count() == 0) {
      EXPECT_EQ(control<QGroupBox>(QStringLiteral("chartFrame"))->title(), "Graph");
      EXPECT_TRUE(logText().isEmpty());
      EXPECT_EQ(scroll()->minimum(), scroll()->maximum());  // no packet to move to
    }
  }
  EXPECT_TRUE(logText().endsWith(QString::fromStdString(extra).remove(' ') + '\n'));
}

// Following a log: the panel starts at the newest packet and moves on with each new one unless
// the user went back; a half-written line waits; a line that cannot be stored is shown, counted
// and passed; past the packets held the oldest leave.
TEST_F(WindowTest, FollowingALogShowsEachPacketAsItsLineIsComplete) {
  const auto packet = [](int id) {
    return test::telemetryLine(test::word(35, static_cast<unsigned>(id))) + "\r\n";
  };
  const auto append = [](const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
  };
  const auto reach = [this](int packets) {
    return QTest::qWaitFor([&] { return count() == packets; }, 5000);
  };
  LogFollowCommand& follow = m_shell->followCommand();
  const std::string log =
      m_dir.write("pass.log", packet(1) + packet(2) + packet(3) + packet(4).substr(0, 90));
  follow.follow(QString::fromStdString(log));
  EXPECT_EQ(label("packetLabel"), "3/3");
  EXPECT_EQ(text1(1), "3");  // RAAC carries the packet's number
  const std::string tooLong = test::telemetryLine({}, 150) + "\r\n";
  const QStringList none = test::answerBoxes([&] {
    append(log, packet(4).substr(90) + tooLong + packet(5));
    EXPECT_TRUE(reach(5));
    EXPECT_EQ(label("packetLabel"), "5/5");
    EXPECT_EQ(text1(1), "5");
    EXPECT_EQ(chart()->rowCount(), 5);
    EXPECT_EQ(label("fileLabel"), QString::fromStdString("Following " + log + ", 1 line skipped"));
    EXPECT_EQ(logText().count('\n'), 6);
    EXPECT_TRUE(logText().contains("\nline 5 skipped: line too long: 302 hex digits"));
    scroll()->setValue(2);
    // A click at the start of the log view puts the caret there; the next line still goes last.
    QTest::mouseClick(m_window.logView().viewport(), Qt::LeftButton, {}, QPoint(1, 1));
    ASSERT_EQ(m_window.logView().textCursor().position(), 0);
    append(log, packet(6) + tooLong);
    EXPECT_TRUE(reach(6));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return label("fileLabel").endsWith("2 lines skipped"); }, 5000));
    const QString sixth = QString::fromStdString(packet(6)).remove(' ').trimmed();
    EXPECT_TRUE(logText().endsWith(sixth + "\nline 8 skipped: line too long: 302 hex digits after "
                                           "un-escaping (at most 301 fit)\n"))
        << logText().toStdString();
    EXPECT_EQ(label("packetLabel"), "2/6");
    EXPECT_EQ(text1(1), "2");
    EXPECT_EQ(label("fileLabel"), QString::fromStdString("Following " + log + ", 2 lines skipped"));
  });
  EXPECT_TRUE(none.isEmpty()) << none.join('\n').toStdString();

  // A stalled feed: the label says since when, from a minute on, until the next packet.
  std::int64_t now = 0;
  follow.setClock([&now] { return now; });
  append(log, packet(7));
  EXPECT_TRUE(reach(7));
  const QString following = QString::fromStdString("Following " + log + ", 2 lines skipped");
  now += 59 * 1000;
  QTest::qWait(1100);
  EXPECT_EQ(label("fileLabel"), following);
  now += 3 * 60 * 1000;
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return label("fileLabel").endsWith("last packet 3 min ago"); }, 3000))
      << label("fileLabel").toStdString();
  append(log, packet(8));
  EXPECT_TRUE(reach(8));
  EXPECT_EQ(label("fileLabel"), following);

  // A log without a packet yet: the chart is titled with its channel once the first comes.
  const std::string waiting = m_dir.write("waiting.log", "");
  follow.follow(QString::fromStdString(waiting));
  const auto* chartFrame = control<QGroupBox>(QStringLiteral("chartFrame"));
  EXPECT_EQ(chartFrame->title(), "Graph");
  append(waiting, packet(1));
  EXPECT_TRUE(reach(1));
  EXPECT_EQ(chartFrame->title(), "RAAC  [ mAh ]");

  const std::string full = m_dir.write("full.log", readFile(generatedLog(4999, 5)));
  follow.follow(QString::fromStdString(full));
  const QStringList boxes = test::answerBoxes([&] {
    append(full, packet(1) + packet(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window.packets().lastNumber() == 5001; }, 5000));
  });
  EXPECT_TRUE(boxes.isEmpty());
  EXPECT_TRUE(follow.following());
  EXPECT_EQ(label("packetLabel"), "5001/5001");
  EXPECT_EQ(text1(1), "2");
  EXPECT_TRUE(label("fileLabel").endsWith(", newest 5000 held"))
      << label("fileLabel").toStdString();

  // Another load, opened or dropped, ends following: Stop Following is greyed again and the
  // label no longer says "Following".
  const std::function<void()> loads[] = {[&] { open({generatedLog(12, 1)}); },
                                         [&] { drop({url(generatedLog(9, 3))}); }};
  for (const auto& load : loads) {
    follow.follow(QString::fromStdString(log));
    ASSERT_TRUE(control<QAction>(QStringLiteral("stopFollowing"))->isEnabled());
    load();
    EXPECT_FALSE(follow.following());
    EXPECT_FALSE(control<QAction>(QStringLiteral("stopFollowing"))->isEnabled());
    EXPECT_FALSE(label("fileLabel").startsWith("Following")) << label("fileLabel").toStdString();
  }
}

// Past a small "Packets held", a followed log keeps its newest packets with their numbers: the
// scroll bar covers those held, the CSV holds them, a panel moved back keeps its packet, and a
// log emptied for the next pass shows a grey line before its first packet.
TEST_F(WindowTest, FollowingPastThePacketsHeldKeepsTheNewest) {
  const auto packet = [](int id) {
    return test::telemetryLine(test::word(35, static_cast<unsigned>(id))) + "\r\n";
  };
  const auto packets = [&](int from, int to) {
    std::string text;
    for (int id = from; id <= to; ++id) text += packet(id);
    return text;
  };
  m_window.setPacketsHeld(100);
  LogFollowCommand& follow = m_shell->followCommand();
  const std::string log = m_dir.write("pass.log", packets(1, 150));
  EXPECT_TRUE(test::answerBoxes([&] { follow.follow(QString::fromStdString(log)); }).isEmpty());
  enum Action { Append, Truncate, Back };
  // what is done; the newest number, the label, the scroll bar's maximum, the RAAC shown, the
  // first charted number and the rows a pass starts at
  const std::tuple<Action, int, int, QString, int, QString, QString, std::vector<int>> steps[] = {
      {Back, 150, 150, "150/150", 100, "150", "51", {}},
      {Append, 151, 180, "180/180", 100, "180", "81", {}},
      {Back, 90, 180, "90/180", 100, "90", "81", {}},
      {Append, 181, 185, "90/185", 100, "90", "86", {}},
      {Back, 185, 185, "185/185", 100, "185", "86", {}},
      {Truncate, 1, 190, "190/190", 100, "5", "91", {96}},
  };
  for (const auto& [action, from, to, label2, maximum, raac, firstCharted, passes] : steps) {
    if (action == Append) std::ofstream(log, std::ios::app | std::ios::binary) << packets(from, to);
    if (action == Truncate) std::ofstream(log, std::ios::trunc | std::ios::binary) << packets(1, 5);
    if (action == Back) scroll()->setValue(m_window.packets().rowOf(from));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window.packets().lastNumber() == to; }, 5000)) << to;
    EXPECT_EQ(label("packetLabel"), label2);
    EXPECT_EQ(scroll()->maximum(), maximum);
    EXPECT_EQ(text1(1), raac);
    // The view holds both passes' lines: the packet's number in the load is its line.
    const QList<QTextEdit::ExtraSelection> marks = m_window.logView().extraSelections();
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0].cursor.blockNumber(), label2.section('/', 0, 0).toInt() - 1);
    EXPECT_EQ(chart()->rowCount(), maximum);
    EXPECT_EQ(QString::number(chart()->rowNumber(1)), firstCharted);
    EXPECT_EQ(chart()->value(maximum), m_window.packets().bytes(maximum)[36]) << to;
    EXPECT_EQ(m_window.packets().passStartRows(), passes);
  }
  EXPECT_TRUE(label("fileLabel").contains(", newest 100 held")) << label("fileLabel").toStdString();
  EXPECT_TRUE(exportCsv().isEmpty());
  // The packets held: 91 to 185 of the first pass, then 1 to 5 again.
  EXPECT_EQ(readFile(csvPath()),
            converted({m_dir.write("held.log", packets(91, 185) + packets(1, 5))}));
  // The log view keeps the newest lines only, as the store does.
  std::ofstream(log, std::ios::app | std::ios::binary) << packets(6, 10005);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_window.packets().lastNumber() == 10190; }, 9000));
  const QTextDocument& view = *m_window.logView().document();
  EXPECT_EQ(view.blockCount(), static_cast<int>(LogViewSink::kMostLinesShown));
  const QString newest = QString::fromStdString(packet(10005)).remove(QLatin1Char(' ')).trimmed();
  EXPECT_EQ(view.lastBlock().previous().text(), newest);
  EXPECT_EQ(m_window.logView().extraSelections().value(0).cursor.block().text(), newest);
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
    fill(packets, position, value);
    m_window.chartChannel(channel);
    EXPECT_EQ(chart()->autoCategorySpacing() ? 0 : chart()->divisionsPerLabel(), divisions)
        << packets;
    EXPECT_EQ(chart()->rowCount(), packets);
    EXPECT_NEAR(chart()->value(packets), charted, 0.005) << channel << " " << value;
  }
}

TEST_F(WindowTest, ExportWritesWhatTwkCsvWritesForTheLoad) {
  // Short frames after long ones keep nothing of them past their end.
  std::vector<std::string> longFrames, shortFrames;
  for (int i = 1; i <= 3; ++i) {
    longFrames.push_back(test::telemetryLine({{76, 0x10}, {79, std::uint8_t(i)}, {81, 0x7F}}, 120));
    shortFrames.push_back(test::telemetryLine({{35, std::uint8_t(i)}}, 40));
  }
  // A load of 100, a fresh one of 40 (rows 41 to 100 keep values but are not written), two
  // files and a dropped one as one table, then the short frames after the long ones.
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
    EXPECT_EQ(label("fileLabel"), QString::fromStdString(csvPath()) + " has been written");
  }
  // A folder where the file goes: the message names it, the label stays.
  m_window.fileLabel().clear();
  std::filesystem::remove(csvPath());
  std::filesystem::create_directory(csvPath());
  const QStringList boxes = exportCsv();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(
      boxes[0].contains(QString::fromStdString(csvPath()) + " was not written:\nIs a directory"))
      << boxes[0].toStdString();
  EXPECT_TRUE(label("fileLabel").isEmpty());
}

// Runs as its own CTest entry under a German locale, which sets TWK_EXPECT_DECIMAL_COMMA.
TEST_F(WindowTest, DecimalComma) {
  if (!qEnvironmentVariableIsSet("TWK_EXPECT_DECIMAL_COMMA")) GTEST_SKIP();
  const std::string log = generatedLog(12, 1);
  open({log});
  EXPECT_TRUE(text1(2).contains(',')) << text1(2).toStdString();
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
    EXPECT_EQ(label("packetLabel"), QStringLiteral("1/%1").arg(100 + added));
    EXPECT_EQ(logText().count('\n'), shown);
    ASSERT_EQ(boxes.size(), failure.isEmpty() ? 0 : 1);
    if (!failure.isEmpty()) {
      EXPECT_TRUE(boxes[0].contains(failure)) << boxes[0].toStdString();
      EXPECT_FALSE(boxes[0].contains("not read"));
    }
  }
}

TEST_F(WindowTest, AFailedFileIsNamedWithTheFilesNotReadAndTheLoadSoFarStaysShown) {
  struct Case {
    std::vector<std::string> paths;  // the one before the last fails
    const char* reason;
    int stored;
    std::string label3;  // the last file read
  };
  const Case cases[] = {
      {{generatedLog(12, 1), m_dir.file("missing.log"), generatedLog(9, 3)},
       ":\nNo such file",
       12,
       generatedLog(12, 1)},
      {{m_dir.file("vanished.log"), generatedLog(9, 3)}, ":\nNo such file", 0, ""},
  };
  for (const Case& c : cases) {
    open({generatedLog(20, 7)});
    const QStringList boxes = open(c.paths);
    ASSERT_EQ(boxes.size(), 1);
    const QString failed = QString::fromStdString(c.paths[c.paths.size() - 2]);
    EXPECT_TRUE(boxes[0].startsWith("Decoding stopped in " + failed + c.reason))
        << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].endsWith("not read:\n" + QString::fromStdString(c.paths.back())))
        << boxes[0].toStdString();
    EXPECT_EQ(label("packetLabel"), QStringLiteral("1/%1").arg(c.stored));
    EXPECT_EQ(label("fileLabel"), QString::fromStdString(c.label3));
  }
}

// A load reads on past lines that cannot be stored: every other packet is loaded, the view
// shows each skipped line in red, and one message at the end names them, ten at most. The view
// holds the last file's lines and highlights the shown packet's line, scrolled into view; a
// packet of an earlier file has none.
TEST_F(WindowTest, ALoadReadsOnPastLinesThatCannotBeStored) {
  const std::string good = test::telemetryLine({{35, 4}});
  const std::string tooLong = test::telemetryLine({}, 170);
  const std::string tooWide = test::telemetryLine({}, 12) + std::string(66000, '0');
  const std::string one = test::writeLog("one.log", {good, "# a", tooLong, good});
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
    EXPECT_TRUE(boxes[0].contains(c.last)) << boxes[0].toStdString();
    EXPECT_EQ(count(), c.stored);
    for (const auto& [packet, line] : c.highlighted) {
      scroll()->setValue(packet);
      const QList<QTextEdit::ExtraSelection> marks = m_window.logView().extraSelections();
      ASSERT_EQ(marks.size(), line < 0 ? 0 : 1) << packet;
      if (line < 0) continue;
      EXPECT_EQ(marks[0].cursor.blockNumber(), line) << packet;
      const QRect at = m_window.logView().cursorRect(marks[0].cursor);
      EXPECT_TRUE(m_window.logView().viewport()->rect().contains(at.center())) << packet;
    }
  }
  // The last load's view: each skipped line in red between the packets' lines.
  const QTextBlock first = m_window.logView().document()->firstBlock();
  EXPECT_EQ(first.text(),
            "line 1 skipped: line too long: 66026 characters besides blanks (at "
            "most 65535 are read)");
  ASSERT_FALSE(first.textFormats().isEmpty());
  EXPECT_EQ(first.textFormats().front().format.foreground().color(), QColor(Qt::red));
  EXPECT_EQ(first.next().textFormats().front().format.foreground().color(), QColor(Qt::black));
}

// Cancel changes nothing. The selection's answer text holds 32767 characters: one path of that
// length still goes to the decoder (and fails there), one more is refused before anything changes.
TEST_F(WindowTest, CancelAndTooManyFilesChangeNothing) {
  open({generatedLog(20, 7)});
  m_choice.reset();
  EXPECT_TRUE(test::answerBoxes([this] { m_shell->open(); }).isEmpty());
  EXPECT_EQ(count(), 20);
  for (const int length : {32768, 32767}) {
    const std::string path = m_dir.file("") + std::string(length - m_dir.file("").size(), 'n');
    const QStringList boxes = open({path});
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0] == "Es wurden zu viele Dateien ausgewählt!", length == 32768);
    EXPECT_EQ(count(), length == 32768 ? 20 : 0);
  }
}

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

// A file dialog opens at a size that shows every column and comes back at the size and in the
// folder it was left; the main window comes back where it was, maximised or not, and on a
// screen that exists.
TEST(UserSettings, DialogsAndTheWindowComeBackAsLeft) {
  test::TempDir dir;
  const QString folder = QString::fromStdString(dir.path().string());
  const QString log = QString::fromStdString(dir.write("a.log", ""));
  const FileChooser chooser = logFileDialog(nullptr);
  const auto answer = [&](const std::function<void(QFileDialog&)>& user) {
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
  QSize left;
  const auto chosen = answer([&](QFileDialog& dialog) {
    // Every column shows its texts whole once the folder is listed.
    dialog.setDirectory(folder);
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
    if (dialog.isVisible()) {
      ADD_FAILURE() << "the dialog stayed open";
      dialog.reject();
    }
  });
  EXPECT_EQ(chosen, std::optional(QStringList(log)));
  answer([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.size(), left);
    EXPECT_EQ(dialog.directory().absolutePath(), folder);
    dialog.reject();
  });

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  // where it was left: the normal place, and whether it was maximised
  const std::tuple<QRect, bool> places[] = {
      {QRect(30, 40, 500, 400), false},
      {QRect(5000, 3000, 500, 400), false},  // on a monitor unplugged since
      {QRect(60, 50, 450, 350), true},
  };
  for (const auto& [place, maximised] : places) {
    {
      MainWindow window;
      window.setGeometry(place);
      maximised ? window.showMaximized() : window.show();
      window.close();
    }
    MainWindow back;
    back.restorePlace();
    back.show();
    EXPECT_EQ(back.isMaximized(), maximised);
    EXPECT_TRUE(screen.contains(back.normalGeometry())) << place.x();
    if (screen.contains(place)) {
      EXPECT_EQ(back.normalGeometry(), place);
    }
  }
}

}  // namespace
}  // namespace twk
