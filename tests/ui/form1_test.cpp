#include "ui/form1.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHelpEvent>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>
#include <functional>
#include <tuple>

#include "app/shell_fixture.h"
#include "telemetry/value_text.h"
#include "ui/bar_chart.h"

namespace twk {
namespace {

using test::telemetryLine;

// clang-format off
// Packets with known bytes; the texts each rule gives for them are worked out by hand.
const std::vector<std::string> kKnownLines = {
    telemetryLine({{17, 0x00}, {18, 0x12}, {19, 0xD6}, {20, 0x87},  // time 1234567
                   {35, 0x04}, {36, 0xD2}, {37, 0x01}, {38, 0x00},  // RAAC 1234, 20 mA
                   {41, 0x12}, {42, 0x34}, {69, 0x00},              // 0.71065 V, -273.15 C
                   {72, 0x00}, {73, 0xFF}, {74, 0x80}, {75, 0x00},  // pointer FF, 32768
                   {80, 0xFF}}),
    telemetryLine({{17, 0x02}, {18, 0xFA}, {19, 0xF0}, {20, 0x80},  // time 50000000
                   {35, 0xFF}, {36, 0xFF}, {37, 0x80}, {38, 0x01},  // 65535, -2559.921875 mA
                   {69, 0x5B}, {72, 0x10}, {73, 0x00},              // 20.11 C, pointer 1000
                   {74, 0xFF}, {75, 0xFF}}),                        // -1
    telemetryLine({{35, 0x00}, {36, 0x07}}),
};
// clang-format on

class Form1Test : public test::ShellTest {
 protected:
  QRadioButton* option1(int n) const {
    return control<QRadioButton>(QStringLiteral("Option1(%1)").arg(n));
  }
  BarChart* chart() const { return control<BarChart>("MSChart1"); }
  QString title() const { return control<QGroupBox>("Frame8")->title(); }
  // The one marked button and the one highlighted field, -1 for none, -2 for several.
  static int single(const std::function<bool(int)>& marked) {
    int found = -1;
    for (int a = 0; a <= 32; ++a) found = !marked(a) ? found : found == -1 ? a : -2;
    return found;
  }
  int checkedOption() const {
    return single([this](int a) { return option1(a)->isChecked(); });
  }
  int highlightedField() const {
    return single([this](int a) {
      return text1(a)->palette().color(QPalette::Base) == QColor(255, 255, 192);
    });
  }

  // A new load starts from no packets, as the open command does; a dropped file adds to them.
  void load(const std::string& path) {
    m_window.packets().Packet_Count = 0;
    decode(path);
  }
  // Fills the table by hand for the chart rules that no byte pattern reaches exactly.
  void fill(int packets, int channel, double value) {
    m_window.packets().Packet_Count = packets;
    for (int i = 1; i <= packets; ++i) {
      m_window.values().Channel_Values[std::size_t(i)][std::size_t(channel)] = value;
    }
  }
  QPoint rowPoint(int row) const {
    const ChartGeometry& g = chart()->geometry();
    for (const ChartGeometry::Column& c : g.columns) {
      if (c.firstRow <= row - 1 && row - 1 <= c.lastRow) return {c.x + c.width / 2, g.top + 5};
    }
    throw std::runtime_error("row without a column");
  }
};

TEST_F(Form1Test, InitialStateAndLayout) {
  EXPECT_EQ(m_window.windowTitle(), "Tarnwick Telemetry Decoder [Ostrel]");
  for (int n = 0; n <= 32; ++n) EXPECT_TRUE(text1(n)->text().isEmpty()) << n;
  EXPECT_EQ(checkedOption(), 1);
  EXPECT_EQ(highlightedField(), -1);
  EXPECT_EQ(text1(1)->toolTip(), "invalid");
  EXPECT_EQ(text1(23)->toolTip(), "invalid readings");
  EXPECT_EQ(text1(24)->toolTip(), "invalid readings");
  EXPECT_EQ(text1(1)->palette().color(QPalette::Text), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(title(), "Graph");
  EXPECT_TRUE(label2().isEmpty());
  EXPECT_TRUE(label3().isEmpty());
  EXPECT_TRUE(logText().isEmpty());
  EXPECT_EQ(scroll()->minimum(), 1);  // only packet 1 before a load: inside the packet table
  EXPECT_EQ(scroll()->maximum(), 1);

  ASSERT_EQ(m_window.logicalDpiX(), 96) << "the positions below are for 96 dpi";
  EXPECT_EQ(m_window.centralWidget()->size(), QSize(658, 799));
  const std::pair<const char*, QRect> places[] = {
      {"RichTextBox1", {8, 8, 641, 121}}, {"Frame8", {8, 424, 641, 345}},
      {"MSChart1", {8, 24, 625, 313}},    {"HScroll1", {560, 776, 89, 17}},
      {"Label2", {488, 776, 65, 17}},     {"Text1(0)", {120, 16, 289, 19}},
      {"Option1(3)", {8, 72, 17, 13}},    {"Label5(3)", {32, 72, 89, 17}},
      {"Text1(3)", {120, 72, 49, 19}},    {"Label1(4)", {176, 88, 17, 17}},
      {"Text1(26)", {136, 56, 57, 19}},   {"List2", {768, 320, 169, 212}},
  };
  for (const auto& [name, rect] : places) EXPECT_EQ(control<QWidget>(name)->geometry(), rect);
  // Rows are built from the channel table, inside their frames; spare rows lie outside.
  const std::tuple<int, const char*, const char*, const char*> rows[] = {
      {0, "", "System time", "Label1"},
      {10, "Battery B", "Inst. Current", "mA"},
      {16, "Solar Arrays Currents", "SA6 ( +Z )", "mA"},
      {19, "Regulator", "3.3V Reg Volts", "V"},
      {24, "Temperatures", "Amplifier Temp", "C"},
      {25, "COMM", "RSSI [dB]", ""}};
  for (const auto& [n, frame, name, unit] : rows) {
    EXPECT_EQ(qobject_cast<QGroupBox*>(text1(n)->parentWidget())->title(), frame);
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label5(%1)").arg(n))->text(), name);
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label1(%1)").arg(n))->text(), unit);
  }
  EXPECT_GE(text1(32)->x(), 658);
  EXPECT_EQ(control<QLabel>("Label5(30)")->text(), "Label5");
}

TEST_F(Form1Test, PanelTextsOfKnownPacketsAndNavigation) {
  load(test::writeLog("known.log", kKnownLines));
  // Chosen fields of a packet, as "channel=text".
  const auto shown = [this](int packet, std::initializer_list<int> channels) {
    m_window.Show_Data(packet);
    QStringList texts;
    for (const int n : channels) texts += QStringLiteral("%1=%2").arg(n).arg(text1(n)->text());
    return texts.join(" | ").toStdString();
  };
  EXPECT_EQ(shown(1, {0, 1, 2, 4, 23, 26, 27, 29, 30}),
            "0=3215.02 sec  => 0d 00:53:35 | 1=1234 | 2=20.00 | 4=.71 | 23=-273.15 | 26=FF | "
            "27=32768 | 29=FF | 30=.00");
  EXPECT_EQ(shown(2, {0, 1, 2, 23, 26, 27}),
            "0=130208.33 sec  => 1d 12:10:08 | 1=65535 | 2=-2559.92 | 23=20.11 | 26=1000 | 27=-1");
  EXPECT_EQ(shown(0, {0, 1}), "0=. sec  => 0d 00:00:00 | 1=0");
  EXPECT_THROW(m_window.Show_Data(5001), std::out_of_range);
  EXPECT_EQ(text1(1)->text(), "0");

  // Moving through a generated log shows every field of the packet the label names.
  load(test::generatedLog(342, 7));
  EXPECT_EQ(label2(), "1/342");
  const auto expectPacket = [this](int packet) {
    EXPECT_EQ(label2(), QStringLiteral("%1/342").arg(packet));
    for (int n = 0; n < kChannelCount; ++n) {
      const double x = m_window.values().Channel_Values[std::size_t(packet)][std::size_t(n)];
      EXPECT_EQ(text1(n)->text().toStdString(), channelText(n, x, ".")) << packet << " " << n;
    }
  };
  scroll()->setValue(17);
  expectPacket(17);
  QTest::keyClick(scroll(), Qt::Key_Right);
  expectPacket(18);
  scroll()->setValue(scroll()->maximum());
  expectPacket(342);
  // The panel follows a dragged thumb before it is released.
  scroll()->setSliderDown(true);
  scroll()->setSliderPosition(40);
  expectPacket(40);
  scroll()->setSliderPosition(41);
  expectPacket(41);
  scroll()->setSliderDown(false);
  expectPacket(41);

  load(test::writeLog("one.log", {kKnownLines[0]}));
  QTest::keyClick(scroll(), Qt::Key_Right);
  QTest::keyClick(scroll(), Qt::Key_Left);
  EXPECT_EQ(label2(), "1/1");
}

// Runs as its own CTest entry under a German locale, which sets TWK_EXPECT_DECIMAL_COMMA.
TEST_F(Form1Test, DecimalComma) {
  const bool comma = QLocale::system().decimalPoint() == ",";
  if (!comma && !qEnvironmentVariableIsSet("TWK_EXPECT_DECIMAL_COMMA")) GTEST_SKIP();
  ASSERT_TRUE(comma) << "the locale gives " << QLocale::system().decimalPoint().toStdString();
  load(test::writeLog("comma.log", kKnownLines));
  EXPECT_EQ(text1(0)->text(), "3215,02 sec  => 0d 00:53:35");
  EXPECT_EQ(text1(2)->text(), "20,00");
  EXPECT_EQ(text1(4)->text(), ",71");
  EXPECT_EQ(text1(1)->text(), "1234");
  EXPECT_EQ(chart()->toolTipAt(rowPoint(1)).section('\n', 1), "3215,02 sec  => 0d 00:53:35");
}

TEST_F(Form1Test, ALoadWithoutPacketsShowsNoValuesAndNoChartAndOffersNoPosition) {
  load(test::writeLog("three.log", kKnownLines));
  option1(7)->click();
  ASSERT_EQ(title(), "Avg. Current  [ mA ]");
  load(test::writeLog("none.log", {"# nothing for us", "8C 10 33 67 58 30 47 4E 44 2D 32 00"}));
  EXPECT_EQ(label2(), "1/0");
  EXPECT_EQ(text1(0)->text(), "");
  EXPECT_EQ(highlightedField(), 1);
  EXPECT_EQ(checkedOption(), -1);
  EXPECT_EQ(title(), "Graph");
  EXPECT_EQ(chart()->rowCount(), 0);
  EXPECT_EQ(scroll()->minimum(), scroll()->maximum());
  option1(5)->click();  // moves the highlight; there is nothing to chart
  EXPECT_EQ(highlightedField(), 5);
  EXPECT_EQ(title(), "Graph");

  load(test::writeLog("three_again.log", kKnownLines));
  EXPECT_EQ(scroll()->minimum(), 1);
  EXPECT_EQ(label2(), "1/3");
}

TEST_F(Form1Test, ToolTipClickToPacketAndOneOptionButtonAcrossAllFramesAndTitles) {
  load(test::writeLog("three.log", kKnownLines));
  EXPECT_EQ(title(), "RAAC  [ mAh ]");
  EXPECT_EQ(chart()->toolTipAt(rowPoint(2)), "Packet 2: 65535 mAh\n130208.33 sec  => 1d 12:10:08");
  EXPECT_TRUE(chart()->toolTipAt(QPoint(1, 1)).isEmpty());
  QHelpEvent help(QEvent::ToolTip, rowPoint(3), chart()->mapToGlobal(rowPoint(3)));
  QApplication::sendEvent(chart(), &help);
  EXPECT_EQ(QToolTip::text(), "Packet 3: 7 mAh\n. sec  => 0d 00:00:00");
  QTest::mouseClick(chart(), Qt::LeftButton, {}, rowPoint(2));
  EXPECT_EQ(label2(), "2/3");
  EXPECT_EQ(text1(1)->text(), "65535");
  QTest::mouseClick(chart(), Qt::LeftButton, {}, rowPoint(3));
  EXPECT_EQ(label2(), "3/3");
  option1(27)->click();  // no unit: no blank after the value
  EXPECT_EQ(chart()->toolTipAt(rowPoint(1)).section('\n', 0, 0), "Packet 1: 32768");

  const std::pair<int, const char*> clicks[] = {
      {7, "Avg. Current  [ mA ]"}, {12, "SA2 ( -X )  [ mA ]"},     {19, "3.3V Reg Volts  [ V ]"},
      {25, "RSSI [dB]  [  ]"},     {23, "Controller Temp  [ C ]"}, {23, "Controller Temp  [ C ]"},
  };
  for (const auto& [n, expected] : clicks) {
    QTest::mouseClick(option1(n), Qt::LeftButton, {}, option1(n)->rect().center());
    EXPECT_EQ(checkedOption(), n);  // a second click keeps the button marked
    EXPECT_EQ(highlightedField(), n);
    EXPECT_EQ(title(), expected);
  }
  m_window.Option1_Click(0);
  EXPECT_EQ(title(), "System time  [ Label1 ]");
  // A further load charts channel 1 and clears the user's choice: no button stays marked.
  option1(7)->click();
  decode(test::writeLog("more.log", {kKnownLines[2]}));
  EXPECT_EQ(m_window.packets().Packet_Count, 4);
  EXPECT_EQ(title(), "RAAC  [ mAh ]");
  EXPECT_EQ(highlightedField(), 1);
  EXPECT_EQ(checkedOption(), -1);
}

TEST_F(Form1Test, LabelSpacingFilterAndRefill) {
  const std::tuple<int, bool, int> spacing[] = {{1, true, 0},      {100, true, 0},  {101, false, 5},
                                                {110, false, 6},   {130, false, 6}, {150, false, 8},
                                                {5000, false, 250}};
  for (const auto& [packets, automatic, divisions] : spacing) {
    fill(packets, 1, 1.0);
    m_window.Option1_Click(1);
    EXPECT_EQ(chart()->rowCount(), packets);
    EXPECT_EQ(chart()->rowLabel(packets), QString::number(packets));
    EXPECT_EQ(chart()->autoCategorySpacing(), automatic) << packets;
    if (!automatic) {
      EXPECT_EQ(chart()->divisionsPerLabel(), divisions) << packets;
      EXPECT_EQ(chart()->divisionsPerTick(), divisions) << packets;
    }
  }
  const std::tuple<int, double, double> filter[] = {
      {23, -50.0, 0.0},  {23, -49.99, -49.99},   {23, -273.15, 0.0},     {24, -50.0, 0.0},
      {3, -60.0, -60.0}, {22, -273.15, -273.15}, {25, -110.53, -110.53},
  };
  for (const auto& [channel, value, plotted] : filter) {
    fill(2, channel, value);
    m_window.Option1_Click(channel);
    EXPECT_EQ(chart()->value(2), plotted) << channel << " " << value;
  }
  m_window.values().Channel_Values[2][25] = 42;  // the same channel again is read anew
  m_window.Option1_Click(25);
  EXPECT_EQ(chart()->value(2), 42);
}

TEST_F(Form1Test, ChartAtFiveThousandPacketsDrawsEveryColumn) {
  load(test::generatedLog(5000, 11));
  const ChartGeometry& g = chart()->geometry();
  ASSERT_EQ(g.columns.size(), std::size_t(g.width));
  ASSERT_EQ(g.columns.back().lastRow, 4999);
  const QImage image = chart()->grab().toImage();
  const QColor background = chart()->palette().color(QPalette::Base);
  int blank = 0;
  for (const ChartGeometry::Column& c : g.columns) {
    bool drawn = false;
    for (int y = c.top; y < c.bottom && !drawn; ++y) drawn = image.pixelColor(c.x, y) != background;
    if (!drawn) ++blank;
  }
  EXPECT_EQ(blank, 0);
}

}  // namespace
}  // namespace twk
