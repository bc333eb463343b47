// The main window with its commands, driven as a user drives it: open, drop, scroll, pick a
// channel, export. Values are compared with what the core and twk-csv give for the same logs.

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

#include "app/shell_fixture.h"
#include "telemetry/value_text.h"
#include "ui/log_file_dialog.h"

namespace twk {
namespace {

using test::generatedLog;
using test::readFile;

class WindowTest : public test::ShellTest {
 protected:
  // The channel values of every row set by hand, for chart rules no byte pattern hits exactly.
  void fill(int packets, int channel, double value) {
    m_window.packets().Packet_Count = packets;
    for (int i = 1; i <= packets; ++i) m_window.values().Channel_Values[i][channel] = value;
  }
  // What twk-csv writes for the logs as one load, in the C locale.
  std::string converted(const std::vector<std::string>& logs) const {
    std::string command = "LC_ALL=C " TWK_CSV_PATH " -o " + m_dir.file("expected");
    for (const std::string& log : logs) command += " '" + log + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    return readFile(m_dir.file("expected"));
  }
  // Drags data onto the log view and drops it; whether the view took it, and the boxes shown.
  std::pair<bool, QStringList> drop(const QMimeData& data) {
    QWidget* view = m_window.RichTextBox1()->viewport();
    const QPoint at = view->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    const QStringList boxes = test::answerBoxes([&] {
      QApplication::sendEvent(view, &enter);
      QApplication::sendEvent(view, &dropped);
    });
    return {enter.isAccepted() && dropped.isAccepted(), boxes};
  }
};

TEST_F(WindowTest, PanelShowsThePacketTheScrollBarNames) {
  open({generatedLog(342, 7)});
  const auto expectPacket = [this](int packet) {
    EXPECT_EQ(label("Label2"), QStringLiteral("%1/342").arg(packet));
    for (int n = 0; n < kChannelCount; ++n) {
      EXPECT_EQ(text1(n).toStdString(),
                channelText(n, m_window.values().Channel_Values[packet][n], "."))
          << packet << " " << n;
    }
  };
  expectPacket(1);
  scroll()->setValue(17);
  expectPacket(17);
  QTest::keyClick(scroll(), Qt::Key_Right);
  expectPacket(18);
  scroll()->setSliderDown(true);  // the panel follows a dragged thumb
  scroll()->setSliderPosition(40);
  expectPacket(40);
  scroll()->setSliderDown(false);
}

TEST_F(WindowTest, OneOptionButtonAtATimeAndAClickOnABarShowsItsPacket) {
  open({test::writeLog("three.log", {test::telemetryLine({{55, 1}}), test::telemetryLine({{56, 2}}),
                                     test::telemetryLine({{56, 3}})})});
  for (const int n : {7, 12}) control<QRadioButton>(QStringLiteral("Option1(%1)").arg(n))->click();
  const auto buttons = m_window.findChildren<QRadioButton*>();
  EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(), [](auto* b) { return b->isChecked(); }),
            1);
  EXPECT_EQ(chart()->value(3), m_window.values().Channel_Values[3][12]);
  EXPECT_NE(chart()->value(3), 0);
  const ChartGeometry::Column& bar = chart()->geometry().columns[1];  // a click shows its packet
  QTest::mouseClick(chart(), Qt::LeftButton, {}, QPoint(bar.x + bar.width / 2, bar.bottom - 1));
  EXPECT_EQ(label("Label2"), "2/3");
}

// After every way of loading, the position, the values, the chart and the export belong to the
// load shown: a new load starts at packet 1, a load without packets says so and shows nothing
// of the one before, a dropped file without packets changes nothing, short frames keep nothing
// of longer ones an earlier load stored in their rows.
TEST_F(WindowTest, PositionValuesChartAndExportBelongToTheLoadShown) {
  const std::string full = generatedLog(5000, 11);
  const std::string small = generatedLog(30, 12);
  const std::string note = test::writeLog("note.txt", {"pass planning, nothing received"});
  const std::string otherCraft =
      test::writeLog("other.log", {"8C 10 33 67 58 30 47 4E 44 2D 32 00"});
  const std::string extra = test::telemetryLine({{35, 7}, {36, 1}});  // past the table
  const std::string overfull = m_dir.write("overfull.log", readFile(full) + extra + "\r\n");
  struct Case {
    const char* what;
    std::vector<std::vector<std::string>> opens;  // then a move to position, then a drop
    int position;
    std::string dropped;
    std::vector<const char*> message;  // parts of the one message the last step shows
    QString label2;
    bool emptyPanel;
  };
  const Case cases[] = {
      {"a new load after packet 2059", {{full}, {full}}, 2059, "", {}, "1/5000", false},
      {"a load whose first file fills the table",
       {{small}, {full, small}},
       20,
       "",
       {"packet table full"},
       "1/5000",
       false},
      {"a load without Tarnwick packets",
       {{full}, {note, otherCraft}},
       0,
       "",
       {"note.txt", "other.log", "X0TWK-1", "characters 13 to 32"},
       "1/0",
       true},
      {"a dropped file that adds nothing",
       {{small}},
       5,
       otherCraft,
       {"other.log", "X0TWK-1"},
       "5/30",
       false},
      {"the line past the table", {{overfull}}, 0, "", {"packet table full"}, "1/5000", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QStringList boxes;
    for (std::size_t i = 0; i < c.opens.size(); ++i) {
      boxes = open(c.opens[i]);
      // The move comes before the last load, or before the drop after a single one.
      if (c.position > 0 && i + std::min<std::size_t>(2, c.opens.size()) == c.opens.size()) {
        scroll()->setValue(c.position);
      }
    }
    if (!c.dropped.empty()) {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(QString::fromStdString(c.dropped))});
      boxes = drop(data).second;
    }
    EXPECT_EQ(boxes.size(), c.message.empty() ? 0 : 1);
    for (const char* part : c.message) EXPECT_TRUE(boxes.value(0).contains(part)) << part;
    EXPECT_EQ(label("Label2"), c.label2);
    if (!c.dropped.empty()) {
      EXPECT_EQ(label("Label3"), QString::fromStdString(small));
    }
    const int packet = scroll()->value();
    for (int n = 0; n < kChannelCount; ++n) {
      EXPECT_EQ(
          text1(n).toStdString(),
          c.emptyPanel ? "" : channelText(n, m_window.values().Channel_Values[packet][n], "."))
          << "field " << n;
    }
    EXPECT_EQ(chart()->rowCount(), count());
    if (c.emptyPanel) {
      EXPECT_EQ(control<QGroupBox>(QStringLiteral("Frame8"))->title(), "Graph");
      EXPECT_TRUE(logText().isEmpty());
      EXPECT_EQ(scroll()->minimum(), scroll()->maximum());  // no position without a packet
    }
  }
  EXPECT_TRUE(logText().endsWith(QString::fromStdString(extra).remove(' ') + '\n'));

  std::vector<std::string> longFrames, shortFrames;
  for (int i = 1; i <= 3; ++i) {
    longFrames.push_back(test::telemetryLine({{76, 0x10}, {79, std::uint8_t(i)}, {81, 0x7F}}, 120));
    shortFrames.push_back(test::telemetryLine({{35, std::uint8_t(i)}}, 40));
  }
  const std::string shortLog = test::writeLog("short.log", shortFrames);
  open({test::writeLog("long.log", longFrames)});
  open({shortLog});
  EXPECT_TRUE(exportCsv().isEmpty());
  EXPECT_EQ(readFile(csvPath()), converted({shortLog}));

  // A value wider than its field shows its start, and all of it where the mouse rests.
  open({test::writeLog("wide.log",
                       {test::telemetryLine({{76, 0xFF}, {77, 0xFF}, {78, 0xFF}, {79, 0xFF}})})});
  auto* rxCount = control<QLineEdit>(QStringLiteral("Text1(28)"));
  EXPECT_EQ(rxCount->text(), "4294967295");
  EXPECT_EQ(rxCount->cursorPosition(), 0);
  EXPECT_EQ(rxCount->toolTip(), "4294967295");
  EXPECT_EQ(control<QLineEdit>(QStringLiteral("Text1(1)"))->toolTip(), "invalid");
}

TEST_F(WindowTest, ChartLabelSpacingAndTemperatureFilter) {
  // packets, channel, value; labels every so many packets (0: automatic), the value charted
  const std::tuple<int, int, double, int, double> cases[] = {
      {100, 2, 5, 0, 5},      {101, 2, 5, 5, 5},
      {110, 2, 5, 6, 5},      {130, 2, 5, 6, 5},
      {150, 2, 5, 8, 5},      {5000, 2, 5, 250, 5},
      {2, 23, -50, 0, 0},     {2, 23, -49.99, 0, -49.99},
      {2, 24, -273.15, 0, 0}, {2, 22, -273.15, 0, -273.15},
  };
  for (const auto& [packets, channel, value, divisions, charted] : cases) {
    fill(packets, channel, value);
    m_window.Option1_Click(channel);
    EXPECT_EQ(chart()->autoCategorySpacing() ? 0 : chart()->divisionsPerLabel(), divisions)
        << packets;
    EXPECT_EQ(chart()->rowCount(), packets);
    EXPECT_EQ(chart()->value(packets), charted) << channel << " " << value;
  }
}

TEST_F(WindowTest, ExportWritesWhatTwkCsvWritesForTheLoad) {
  // A load of 100, a fresh one of 40 (rows 41 to 100 keep values but are not written), then two
  // files and a dropped one as one table.
  const std::vector<std::vector<std::string>> loads = {
      {generatedLog(100, 21)}, {generatedLog(40, 22)}, {generatedLog(12, 1), generatedLog(9, 3)}};
  for (std::vector<std::string> load : loads) {
    open(load);
    if (load.size() == 2) {
      QMimeData data;
      data.setUrls(
          {QUrl::fromLocalFile(QString::fromStdString(load.emplace_back(generatedLog(21, 4))))});
      drop(data);
    }
    EXPECT_TRUE(exportCsv().isEmpty());
    EXPECT_EQ(readFile(csvPath()), converted(load));
    EXPECT_EQ(label("Label3"), QString::fromStdString(csvPath()) + " has been written");
  }
  // A folder where the file goes: the message names it, the label stays.
  m_window.Label3()->clear();
  std::filesystem::remove(csvPath());
  std::filesystem::create_directory(csvPath());
  const QStringList boxes = exportCsv();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(
      boxes[0].contains(QString::fromStdString(csvPath()) + " was not written:\nIs a directory"))
      << boxes[0].toStdString();
  EXPECT_TRUE(label("Label3").isEmpty());
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
  const auto copied = [this](const std::string& name, int packets) {
    std::filesystem::copy_file(generatedLog(packets, packets), m_dir.file(name));
    return QUrl::fromLocalFile(QString::fromStdString(m_dir.file(name)));
  };
  std::filesystem::create_directory(m_dir.file("backlog"));
  const std::string tooLong = test::writeLog(
      "too_long.log", {test::telemetryLine({{35, 4}}), test::telemetryLine({}, 170)});
  struct Case {
    QList<QUrl> urls;  // dropped; none: plain text is dropped
    int added;
    const char* failure;
  };
  const Case cases[] = {
      {{copied("flight.log", 7)}, 7, nullptr},
      {{copied("FLIGHT.LOG", 7)}, 7, nullptr},
      {{copied("catalog", 7)}, 7, nullptr},
      {{copied("flight.txt", 7)}, 0, nullptr},
      {{copied("first.log", 7), copied("second.log", 9)}, 7, nullptr},
      {{QUrl(QStringLiteral("https://example.org/pass.log"))}, 0, nullptr},
      {{}, 0, nullptr},
      {{QUrl::fromLocalFile(QString::fromStdString(m_dir.file("backlog")))}, 0, "Is a directory"},
      {{QUrl::fromLocalFile(QString::fromStdString(tooLong))}, 2, ", line 2:\nline too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.urls.isEmpty() ? "text" : c.urls.front().toString().toStdString());
    open({generatedLog(100, 11)});
    QMimeData data;
    c.urls.isEmpty() ? data.setText(QStringLiteral("flight.log")) : data.setUrls(c.urls);
    const QString before = logText();
    const auto [taken, boxes] = drop(data);
    EXPECT_EQ(taken, !c.urls.isEmpty());
    EXPECT_EQ(count(), 100 + c.added);
    EXPECT_EQ(label("Label2"), QStringLiteral("1/%1").arg(100 + c.added));
    EXPECT_EQ(boxes.size(), c.failure != nullptr ? 1 : 0);
    if (c.failure != nullptr) {
      EXPECT_TRUE(boxes.value(0).contains(QLatin1String(c.failure)))
          << boxes.value(0).toStdString();
      EXPECT_FALSE(boxes.value(0).contains(QLatin1String("not read")));
    }
    EXPECT_EQ(logText().count('\n'), c.added > 0 ? c.added : before.count('\n'));
  }
}

TEST_F(WindowTest, AFailedFileIsNamedWithTheFilesNotReadAndTheLoadSoFarStaysShown) {
  const std::string good = test::telemetryLine({{35, 4}});
  const std::string tooLong =
      test::writeLog("long.log", {good, "# a", test::telemetryLine({}, 170), good});
  struct Case {
    std::vector<std::string> paths;  // the one before the last fails
    const char* reason;
    int stored;
  };
  const Case cases[] = {
      {{generatedLog(12, 1), m_dir.file("missing.log"), generatedLog(9, 3)}, ":\nNo such file", 12},
      {{generatedLog(12, 1), tooLong, generatedLog(9, 3)}, ", line 3:\nline too long", 14},
      {{m_dir.file("vanished.log"), generatedLog(9, 3)}, ":\nNo such file", 0},
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
    EXPECT_EQ(count(), c.stored);
    EXPECT_EQ(label("Label2"), QStringLiteral("1/%1").arg(c.stored));
    EXPECT_EQ(label("Label3"), failed);
  }
}

// Cancel changes nothing. The selection's answer text holds 32767 characters: one path of that
// length still goes to the decoder (and fails there), one more is refused before anything changes.
TEST_F(WindowTest, CancelAndTooManyFilesChangeNothing) {
  open({generatedLog(20, 7)});
  m_choice.reset();
  EXPECT_TRUE(test::answerBoxes([this] { m_shell->MnuOpenFile_Click(); }).isEmpty());
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
  // The folder is listed in the background.
  const auto waitFor = [view](const QString& expected) {
    QStringList names;
    for (int waited = 0; waited < 5000 && names.join(',') != expected; waited += 20) {
      QTest::qWait(20);
      names.clear();
      for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
        names += view->model()->index(r, 0, view->rootIndex()).data().toString();
      }
      names.sort();
    }
    return names.join(',');
  };
  EXPECT_EQ(waitFor("FLIGHT2.LOG,flight.log"), "FLIGHT2.LOG,flight.log");
  dialog.selectNameFilter(QStringLiteral("All Files (*.*)"));
  EXPECT_EQ(waitFor("FLIGHT2.LOG,catalog,flight.log,notes.txt"),
            "FLIGHT2.LOG,catalog,flight.log,notes.txt");
}

}  // namespace
}  // namespace twk
