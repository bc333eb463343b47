// What the window shows after each way of loading: the position and the values always belong
// to the same packet, and nothing of an earlier load stays on screen or in the export.

#include <gtest/gtest.h>

#include <QGroupBox>

#include "app/shell_fixture.h"
#include "telemetry/value_text.h"
#include "ui/bar_chart.h"

namespace twk {
namespace {

using test::generatedLog;
using test::telemetryLine;
using test::writeLog;

class WindowLoads : public test::ShellTest {
 protected:
  struct Step {
    enum { Open, Drop, Scroll } kind;
    std::vector<std::string> paths;
    int position = 0;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<const char*> message;  // parts of the one message the last step shows
    QString label2;
    QString label3;  // the file label, "" for the last file opened
    bool emptyPanel = false;
  };

  // Runs the steps; returns the texts of the message boxes of the last one.
  std::vector<QString> run(const std::vector<Step>& steps) {
    std::vector<test::SeenBox> boxes;
    for (const Step& step : steps) {
      if (step.kind == Step::Open) boxes = openAnswering(step.paths);
      if (step.kind == Step::Scroll) scroll()->setValue(step.position);
      if (step.kind == Step::Drop) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(step.paths.front()))});
        boxes = drop(data).second;
      }
    }
    std::vector<QString> texts;
    for (const test::SeenBox& box : boxes) texts.push_back(box.text);
    return texts;
  }
  // What twk-csv writes for a log.
  std::string converted(const std::string& log) const {
    const std::string out = m_dir.file("expected.csv");
    const std::string command = std::string(TWK_CSV_PATH) + " -o " + out + " " + log;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    return test::readFile(out);
  }
};

TEST_F(WindowLoads, PositionValuesChartAndExportBelongToTheLoadShown) {
  const std::string full = generatedLog(5000, 11);
  const std::string small = generatedLog(30, 12);
  const std::string note = writeLog("note.txt", {"pass planning, nothing received"});
  const std::string otherCraft =
      writeLog("other.log", {"8C 10 33 67 58 30 47 4E 44 2D 32 00 12 34", "# end of pass"});
  // The line past the table: a packet whose RAAC reads 7 x 256 + 1.
  const std::string extra = telemetryLine({{35, 7}, {36, 1}});
  const std::string overfull = m_dir.write("overfull.log", test::readFile(full) + extra + "\r\n");
  const Step openFull{Step::Open, {full}};
  const Case cases[] = {
      {"a new load after packet 2059 starts at packet 1",
       {openFull, {Step::Scroll, {}, 2059}, openFull},
       {},
       "1/5000",
       ""},
      {"a load whose first file fills the table",
       {{Step::Open, {small}}, {Step::Scroll, {}, 20}, {Step::Open, {full, small}}},
       {"packet table full"},
       "1/5000",
       QString()},
      {"a load without Tarnwick packets",
       {openFull, {Step::Open, {note, otherCraft}}},
       {"note.txt", "other.log", "X0TWK-1", "characters 13 to 32"},
       "1/0",
       "",
       true},
      {"a dropped file that adds nothing",
       {{Step::Open, {small}}, {Step::Scroll, {}, 5}, {Step::Drop, {otherCraft}}},
       {"other.log", "X0TWK-1"},
       "5/30",
       QString::fromStdString(small)},
      {"the line past the table", {{Step::Open, {overfull}}}, {"packet table full"}, "1/5000", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<QString> messages = run(c.steps);
    EXPECT_EQ(messages.size(), c.message.empty() ? 0u : 1u);
    for (const char* part : c.message) {
      EXPECT_TRUE(!messages.empty() && messages[0].contains(part)) << part;
    }
    EXPECT_EQ(label2(), c.label2);
    const std::string lastOpened = c.steps.back().paths.empty() ? "" : c.steps.back().paths.back();
    if (!c.label3.isNull()) {
      EXPECT_EQ(label3(), c.label3.isEmpty() ? QString::fromStdString(lastOpened) : c.label3);
    }
    const int packet = scroll()->value();
    for (int n = 0; n < kChannelCount; ++n) {
      const double x = m_window.values().Channel_Values[std::size_t(packet)][std::size_t(n)];
      EXPECT_EQ(text1(n)->text().toStdString(), c.emptyPanel ? "" : channelText(n, x, "."))
          << "field " << n;
    }
    const auto* chart = m_window.findChild<BarChart*>(QStringLiteral("MSChart1"));
    EXPECT_EQ(chart->rowCount(), count());
    if (c.emptyPanel) {
      EXPECT_EQ(m_window.findChild<QGroupBox*>(QStringLiteral("Frame8"))->title(), "Graph");
      EXPECT_TRUE(logText().isEmpty());
    }
  }
  // The line past the table is the last one in the log view; the table kept 5000.
  EXPECT_TRUE(logText().endsWith(QString::fromStdString(extra).remove(' ') + '\n'));

  // Short frames loaded into rows that held long ones: the export is the short log's alone.
  std::vector<std::string> longFrames, shortFrames;
  for (int i = 1; i <= 3; ++i) {
    longFrames.push_back(telemetryLine({{76, 0x10}, {79, std::uint8_t(i)}, {81, 0x7F}}, 120));
    shortFrames.push_back(telemetryLine({{35, std::uint8_t(i)}}, 40));
  }
  const std::string shortLog = writeLog("short.log", shortFrames);
  run({{Step::Open, {writeLog("long.log", longFrames)}}, {Step::Open, {shortLog}}});
  EXPECT_TRUE(exportCsv().empty());
  EXPECT_EQ(test::readFile(csvPath()), converted(shortLog));
}

TEST_F(WindowLoads, AValueWiderThanItsFieldShowsItsStartAndTheWholeValueAsTooltip) {
  open({writeLog("wide.log", {telemetryLine({{76, 0xFF}, {77, 0xFF}, {78, 0xFF}, {79, 0xFF}})})});
  EXPECT_EQ(text1(28)->text(), "4294967295");
  EXPECT_EQ(text1(28)->cursorPosition(), 0);
  EXPECT_EQ(text1(28)->toolTip(), "4294967295");
  EXPECT_EQ(text1(1)->toolTip(), "invalid");  // a value that fits keeps the field's own text
  EXPECT_EQ(text1(27)->toolTip(), "");
}

}  // namespace
}  // namespace twk
