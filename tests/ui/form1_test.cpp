#include "ui/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <memory>

#include "intake/log_decoder.h"
#include "telemetry/value_text.h"
#include "ui/bar_chart.h"
#include "ui/test_logs.h"

namespace twk {
namespace {

using test::telemetryLine;

// Two packets with known bytes: the texts each rule gives for them are worked out by hand.
const std::vector<std::string> kKnownLines = {
    telemetryLine({{17, 0x00},
                   {18, 0x12},
                   {19, 0xD6},
                   {20, 0x87},  // 1234567
                   {35, 0x04},
                   {36, 0xD2},  // RAAC 1234
                   {37, 0x01},
                   {38, 0x00},  // word 0x0100: 20 mA
                   {41, 0x12},
                   {42, 0x34},  // 0.71065 V
                   {69, 0x00},  // -273.15 C
                   {72, 0x00},
                   {73, 0xFF},  // pointer FF
                   {74, 0x80},
                   {75, 0x00},  // 32768 failed packets
                   {80, 0xFF}}),
    telemetryLine({{17, 0x02},
                   {18, 0xFA},
                   {19, 0xF0},
                   {20, 0x80},  // 50000000
                   {35, 0xFF},
                   {36, 0xFF},  // RAAC 65535
                   {37, 0x80},
                   {38, 0x01},  // -2559.921875 mA
                   {69, 0x5B},  // 20.11 C
                   {72, 0x10},
                   {73, 0x00},  // pointer 1000
                   {74, 0xFF},
                   {75, 0xFF}}),  // -1
    telemetryLine({{35, 0x00}, {36, 0x07}}),
};

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<Form1>();
    m_window->show();
  }

  template <typename T>
  T* control(const QString& name) const {
    T* found = m_window->findChild<T*>(name);
    if (found == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
    return found;
  }
  QLineEdit* text1(int n) const { return control<QLineEdit>(QStringLiteral("Text1(%1)").arg(n)); }
  QRadioButton* option1(int n) const {
    return control<QRadioButton>(QStringLiteral("Option1(%1)").arg(n));
  }
  QString label2() const { return control<QLabel>("Label2")->text(); }
  QScrollBar* scroll() const { return control<QScrollBar>("HScroll1"); }
  BarChart* chart() const { return control<BarChart>("MSChart1"); }
  QString chartTitle() const { return control<QGroupBox>("Frame8")->title(); }
  bool highlighted(int n) const {
    return text1(n)->palette().color(QPalette::Base) == QColor(255, 255, 192);
  }

  // As the open command does: a new load starts from no packets.
  void load(const std::string& path) {
    m_window->packets().Packet_Count = 0;
    loadMore(path);
  }
  void loadMore(const std::string& path) {
    m_window->Log_FileName = QString::fromStdString(path);
    m_window->Decode_TextFile();
  }
  // Fills the table by hand for the chart rules that no byte pattern reaches exactly.
  void fill(int packets, int channel, double value) {
    m_window->packets().Packet_Count = packets;
    for (int i = 1; i <= packets; ++i) {
      m_window->values()
          .Channel_Values[static_cast<std::size_t>(i)][static_cast<std::size_t>(channel)] = value;
    }
  }
  // The click point of a chart row.
  QPoint rowPoint(int row) const {
    const ChartGeometry& g = chart()->geometry();
    for (const ChartGeometry::Column& c : g.columns) {
      if (c.firstRow <= row - 1 && row - 1 <= c.lastRow) {
        return QPoint(c.x + c.width / 2, g.top + g.height / 2);
      }
    }
    ADD_FAILURE() << "row " << row << " has no column";
    return {};
  }

  std::unique_ptr<Form1> m_window;
};

TEST_F(Form1Test, InitialState) {
  EXPECT_EQ(m_window->windowTitle(), "Tarnwick Telemetry Decoder [Ostrel]");
  for (int n = 0; n <= 32; ++n) {
    EXPECT_TRUE(text1(n)->text().isEmpty()) << n;
    EXPECT_FALSE(highlighted(n)) << n;
    EXPECT_EQ(option1(n)->isChecked(), n == 1) << n;
  }
  EXPECT_EQ(text1(1)->toolTip(), "invalid");
  EXPECT_EQ(text1(23)->toolTip(), "invalid readings");
  EXPECT_EQ(text1(24)->toolTip(), "invalid readings");
  EXPECT_TRUE(text1(2)->toolTip().isEmpty());
  EXPECT_EQ(text1(1)->palette().color(QPalette::Text), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(chartTitle(), "Graph");
  EXPECT_TRUE(label2().isEmpty());
  EXPECT_TRUE(control<QLabel>("Label3")->text().isEmpty());
  EXPECT_TRUE(control<QPlainTextEdit>("RichTextBox1")->toPlainText().isEmpty());
  EXPECT_EQ(control<QListWidget>("List2")->count(), 0);
  EXPECT_EQ(chart()->rowCount(), 0);
  // Only packet 1 is offered before a load: nothing outside the packet table.
  EXPECT_EQ(scroll()->minimum(), 1);
  EXPECT_EQ(scroll()->maximum(), 1);
  EXPECT_EQ(scroll()->value(), 1);
}

TEST_F(Form1Test, LayoutAtNinetySixDpi) {
  if (m_window->logicalDpiX() != 96) GTEST_SKIP() << "the screen is not at 96 dpi";
  EXPECT_EQ(m_window->centralWidget()->size(), QSize(658, 799));
  struct Case {
    const char* name;
    QRect rect;  // twips / 15, relative to the container
  };
  const Case cases[] = {
      {"RichTextBox1", {8, 8, 641, 121}}, {"Frame8", {8, 424, 641, 345}},
      {"MSChart1", {8, 24, 625, 313}},    {"Label3", {8, 776, 465, 17}},
      {"Label2", {488, 776, 65, 17}},     {"HScroll1", {560, 776, 89, 17}},
      {"Text1(0)", {120, 16, 289, 19}},   {"Option1(3)", {8, 72, 17, 13}},
      {"Label5(3)", {32, 72, 89, 17}},    {"Text1(3)", {120, 72, 49, 19}},
      {"Label1(4)", {176, 88, 17, 17}},   {"Text1(26)", {136, 56, 57, 19}},
      {"List2", {768, 320, 169, 212}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(control<QWidget>(c.name)->geometry(), c.rect) << c.name;
  }
}

TEST_F(Form1Test, RowsAndCaptionsFromTheChannelTable) {
  struct Case {
    int n;
    const char* frame;
    const char* name;
    const char* unit;
  };
  const Case cases[] = {
      {0, "", "System time", "Label1"},
      {1, "Battery A", "RAAC", "mAh"},
      {10, "Battery B", "Inst. Current", "mA"},
      {16, "Solar Arrays Currents", "SA6 ( +Z )", "mA"},
      {19, "Regulator", "3.3V Reg Volts", "V"},
      {24, "Temperatures", "Amplifier Temp", "C"},
      {25, "COMM", "RSSI [dB]", ""},
      {29, "COMM", "Subsystem Status", ""},
  };
  for (const Case& c : cases) {
    auto* frame = qobject_cast<QGroupBox*>(text1(c.n)->parentWidget());
    ASSERT_NE(frame, nullptr) << c.n;
    EXPECT_EQ(frame->title(), c.frame) << c.n;
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label5(%1)").arg(c.n))->text(), c.name);
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label1(%1)").arg(c.n))->text(), c.unit);
  }
  // The spare rows exist outside the window; row 30 has no unit label.
  const QWidget* client = m_window->centralWidget();
  for (int n = 30; n <= 32; ++n) {
    EXPECT_GE(text1(n)->geometry().left(), client->width()) << n;
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label5(%1)").arg(n))->text(), "Label5");
  }
  EXPECT_EQ(m_window->findChild<QLabel*>("Label1(30)"), nullptr);
  EXPECT_GE(option1(0)->geometry().left(), client->width());
}

TEST_F(Form1Test, PanelTextsOfKnownPackets) {
  load(test::writeLog("known.log", kKnownLines));
  // The load shows packet 1; packet 2 through the scroll bar.
  const std::pair<int, const char*> packet1[] = {
      {0, "3215.02 sec  => 0d 00:53:35"},
      {1, "1234"},
      {2, "20.00"},
      {4, ".71"},
      {23, "-273.15"},
      {26, "FF"},
      {27, "32768"},
      {29, "FF"},
      {30, ".00"},
      {3, ".00"},
  };
  for (const auto& [n, expected] : packet1) EXPECT_EQ(text1(n)->text(), expected) << n;
  scroll()->setValue(2);
  const std::pair<int, const char*> packet2[] = {
      {0, "130208.33 sec  => 1d 12:10:08"},
      {1, "65535"},
      {2, "-2559.92"},
      {23, "20.11"},
      {26, "1000"},
      {27, "-1"},
      {29, "0"},
  };
  for (const auto& [n, expected] : packet2) EXPECT_EQ(text1(n)->text(), expected) << n;
  // Showing a text keeps the field's colours.
  EXPECT_EQ(text1(1)->palette().color(QPalette::Text), QColor(0x80, 0x80, 0x80));
  EXPECT_TRUE(highlighted(1));
}

TEST_F(Form1Test, PanelShowsEachPacketOfAGeneratedLog) {
  const std::string path = test::generatedLog(342, 7);
  load(path);
  PacketStore store;
  StoreSink sink(store);
  ChannelStore expected;
  decodeLogIntoStore(path, sink, store, expected);
  ASSERT_EQ(store.Packet_Count, 342);
  ASSERT_EQ(m_window->packets().Packet_Count, 342);
  for (const int packet : {1, 17, 200, 342}) {
    scroll()->setValue(packet);
    for (int n = 0; n < kChannelCount; ++n) {
      const double x =
          expected.Channel_Values[static_cast<std::size_t>(packet)][static_cast<std::size_t>(n)];
      EXPECT_EQ(text1(n)->text().toStdString(), channelText(n, x, "."))
          << "packet " << packet << " channel " << n;
    }
  }
}

TEST_F(Form1Test, ShowDataRejectsPacketsOutsideTheTable) {
  m_window->Show_Data(0);
  EXPECT_EQ(text1(0)->text(), ". sec  => 0d 00:00:00");
  EXPECT_EQ(text1(1)->text(), "0");
  EXPECT_EQ(text1(26)->text(), "0");
  EXPECT_EQ(text1(2)->text(), ".00");
  EXPECT_THROW(m_window->Show_Data(5001), std::out_of_range);
  EXPECT_THROW(m_window->Show_Data(-1), std::out_of_range);
  EXPECT_EQ(text1(0)->text(), ". sec  => 0d 00:00:00");
}

// Runs as its own CTest entry under a German locale (TWK_EXPECT_DECIMAL_COMMA is set there).
TEST_F(Form1Test, DecimalComma) {
  const bool expectComma = qEnvironmentVariableIsSet("TWK_EXPECT_DECIMAL_COMMA");
  const bool comma = QLocale::system().decimalPoint() == ",";
  if (!expectComma && !comma) GTEST_SKIP() << "runs under a German locale";
  ASSERT_TRUE(comma) << "the locale gives " << QLocale::system().decimalPoint().toStdString();
  load(test::writeLog("comma.log", kKnownLines));
  EXPECT_EQ(text1(0)->text(), "3215,02 sec  => 0d 00:53:35");
  EXPECT_EQ(text1(2)->text(), "20,00");
  EXPECT_EQ(text1(4)->text(), ",71");
  EXPECT_EQ(text1(1)->text(), "1234");
  EXPECT_EQ(text1(26)->text(), "FF");
  EXPECT_EQ(chart()->toolTipAt(rowPoint(1)).section('\n', 1), "3215,02 sec  => 0d 00:53:35");
}

TEST_F(Form1Test, NavigationLabels) {
  load(test::generatedLog(342, 7));
  EXPECT_EQ(label2(), "1/342");
  scroll()->setValue(17);
  EXPECT_EQ(label2(), "17/342");
  QTest::keyClick(scroll(), Qt::Key_Right);
  EXPECT_EQ(label2(), "18/342");
  scroll()->setValue(scroll()->maximum());
  EXPECT_EQ(label2(), "342/342");

  // A dragged thumb changes nothing until it is released.
  const QString before = text1(1)->text();
  scroll()->setSliderDown(true);
  scroll()->setSliderPosition(40);
  EXPECT_EQ(label2(), "342/342");
  EXPECT_EQ(text1(1)->text(), before);
  scroll()->setSliderDown(false);
  EXPECT_EQ(label2(), "40/342");

  load(test::writeLog("one.log", {kKnownLines[0]}));
  EXPECT_EQ(label2(), "1/1");
  QTest::keyClick(scroll(), Qt::Key_Right);
  QTest::keyClick(scroll(), Qt::Key_Left);
  EXPECT_EQ(label2(), "1/1");
  EXPECT_EQ(scroll()->value(), 1);
}

TEST_F(Form1Test, AFileWithoutPacketsLeavesTheChartAndOffersOnlyRowsOfTheTable) {
  load(test::writeLog("three.log", kKnownLines));
  ASSERT_EQ(chart()->rowCount(), 3);
  option1(7)->click();
  ASSERT_EQ(chartTitle(), "Avg. Current  [ mA ]");

  load(test::writeLog("none.log", {"# nothing for us", "8C 10 33 67 58 30 47 4E 44 2D 32 00"}));
  EXPECT_EQ(m_window->packets().Packet_Count, 0);
  EXPECT_EQ(label2(), "1/0");
  // Row 1 still holds the earlier load's first packet.
  EXPECT_EQ(text1(0)->text(), "3215.02 sec  => 0d 00:53:35");
  EXPECT_TRUE(highlighted(1));
  EXPECT_FALSE(highlighted(7));
  EXPECT_FALSE(option1(7)->isChecked());
  EXPECT_EQ(chartTitle(), "Avg. Current  [ mA ]");
  EXPECT_EQ(chart()->rowCount(), 3);
  EXPECT_GE(scroll()->minimum(), 0);
  EXPECT_LE(scroll()->maximum(), 1);
  scroll()->setValue(0);
  EXPECT_EQ(label2(), "0/0");
  EXPECT_EQ(text1(1)->text(), "0");

  // A selection without packets moves the highlight but leaves the chart.
  option1(5)->click();
  EXPECT_TRUE(highlighted(5));
  EXPECT_FALSE(highlighted(1));
  EXPECT_EQ(chartTitle(), "Avg. Current  [ mA ]");

  load(test::writeLog("three_again.log", kKnownLines));
  EXPECT_EQ(scroll()->minimum(), 1);
  EXPECT_EQ(scroll()->maximum(), 3);
  EXPECT_EQ(label2(), "1/3");
}

TEST_F(Form1Test, OneOptionButtonAcrossAllFrames) {
  load(test::writeLog("three.log", kKnownLines));
  EXPECT_TRUE(option1(1)->isChecked());
  EXPECT_TRUE(highlighted(1));
  for (const int n : {7, 12, 18, 25, 3}) {  // Battery B, solar arrays, regulator, COMM, Battery A
    QTest::mouseClick(option1(n), Qt::LeftButton, {}, option1(n)->rect().center());
    for (int a = 0; a <= 30; ++a) {
      EXPECT_EQ(option1(a)->isChecked(), a == n) << "clicked " << n << ", button " << a;
      EXPECT_EQ(highlighted(a), a == n) << "clicked " << n << ", field " << a;
    }
  }
  // Clicking the marked button again keeps it marked.
  QTest::mouseClick(option1(3), Qt::LeftButton, {}, option1(3)->rect().center());
  EXPECT_TRUE(option1(3)->isChecked());

  // A further load charts channel 1 and clears the user's choice, marking no button.
  option1(7)->click();
  loadMore(test::writeLog("more.log", {kKnownLines[2]}));
  EXPECT_EQ(m_window->packets().Packet_Count, 4);
  EXPECT_EQ(chartTitle(), "RAAC  [ mAh ]");
  EXPECT_TRUE(highlighted(1));
  EXPECT_FALSE(highlighted(7));
  for (int a = 0; a <= 32; ++a) EXPECT_FALSE(option1(a)->isChecked()) << a;
}

TEST_F(Form1Test, ChartTitles) {
  load(test::writeLog("three.log", kKnownLines));
  const std::pair<int, const char*> cases[] = {
      {1, "RAAC  [ mAh ]"},          {23, "Controller Temp  [ C ]"}, {25, "RSSI [dB]  [  ]"},
      {19, "3.3V Reg Volts  [ V ]"}, {0, "System time  [ Label1 ]"}, {29, "Subsystem Status  [  ]"},
  };
  for (const auto& [n, title] : cases) {
    m_window->Option1_Click(n);
    EXPECT_EQ(chartTitle(), title) << n;
  }
}

TEST_F(Form1Test, LabelSpacingByPacketCount) {
  struct Case {
    int packets;
    bool automatic;
    int divisions;
  };
  const Case cases[] = {{1, true, 0},    {100, true, 0},  {101, false, 5},   {110, false, 6},
                        {130, false, 6}, {150, false, 8}, {5000, false, 250}};
  for (const Case& c : cases) {
    fill(c.packets, 1, 1.0);
    m_window->Option1_Click(1);
    EXPECT_EQ(chart()->rowCount(), c.packets);
    EXPECT_EQ(chart()->autoCategorySpacing(), c.automatic) << c.packets;
    if (!c.automatic) {
      EXPECT_EQ(chart()->divisionsPerLabel(), c.divisions) << c.packets;
      EXPECT_EQ(chart()->divisionsPerTick(), c.divisions) << c.packets;
      EXPECT_EQ(chart()->geometry().ticks.size(),
                static_cast<std::size_t>((c.packets + c.divisions - 1) / c.divisions));
    }
  }
  // Row labels are the packet numbers.
  fill(3, 1, 1.0);
  m_window->Option1_Click(1);
  EXPECT_EQ(chart()->rowLabel(1), "1");
  EXPECT_EQ(chart()->rowLabel(3), "3");
}

TEST_F(Form1Test, LowTemperatureFilterOfChannels23And24Only) {
  struct Case {
    int channel;
    double value;
    double plotted;
  };
  const Case cases[] = {
      {23, -50.0, 0.0},   {23, -49.99, -49.99}, {23, -273.15, 0.0},     {24, -50.0, 0.0},
      {24, 20.11, 20.11}, {3, -60.0, -60.0},    {22, -273.15, -273.15}, {25, -110.53, -110.53},
  };
  for (const Case& c : cases) {
    fill(2, c.channel, c.value);
    m_window->Option1_Click(c.channel);
    EXPECT_EQ(chart()->value(1), c.plotted) << c.channel << " " << c.value;
    EXPECT_EQ(chart()->value(2), c.plotted) << c.channel << " " << c.value;
  }
}

TEST_F(Form1Test, EveryCallRefillsTheChart) {
  load(test::writeLog("three.log", kKnownLines));
  ASSERT_EQ(chart()->value(2), 65535);
  m_window->values().Channel_Values[2][1] = 42;
  m_window->Option1_Click(1);
  EXPECT_EQ(chart()->value(2), 42);
}

TEST_F(Form1Test, ChartAtFiveThousandPacketsDrawsEveryColumn) {
  load(test::generatedLog(5000, 11));
  ASSERT_EQ(chart()->rowCount(), 5000);
  const ChartGeometry& g = chart()->geometry();
  ASSERT_LT(g.width, 5000);
  EXPECT_EQ(g.columns.size(), static_cast<std::size_t>(g.width));
  EXPECT_EQ(g.columns.front().firstRow, 0);
  EXPECT_EQ(g.columns.back().lastRow, 4999);
  for (const ChartGeometry::Column& c : g.columns) EXPECT_GE(c.bottom - c.top, 1) << c.x;
  // What the widget paints there: a column holding packets is not background.
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

TEST_F(Form1Test, ToolTipAndClickToPacket) {
  load(test::writeLog("three.log", kKnownLines));
  EXPECT_EQ(chart()->toolTipAt(rowPoint(2)), "Packet 2: 65535 mAh\n130208.33 sec  => 1d 12:10:08");
  option1(25)->click();
  EXPECT_EQ(chart()->toolTipAt(rowPoint(3)).section('\n', 0, 0).left(10), "Packet 3: ");
  EXPECT_FALSE(chart()->toolTipAt(rowPoint(3)).section('\n', 0, 0).endsWith(' '));
  EXPECT_TRUE(chart()->toolTipAt(QPoint(1, 1)).isEmpty());

  // The real event shows the same text.
  option1(1)->click();
  QHelpEvent help(QEvent::ToolTip, rowPoint(3), chart()->mapToGlobal(rowPoint(3)));
  QApplication::sendEvent(chart(), &help);
  EXPECT_EQ(QToolTip::text(), "Packet 3: 7 mAh\n. sec  => 0d 00:00:00");

  QTest::mouseClick(chart(), Qt::LeftButton, {}, rowPoint(2));
  EXPECT_EQ(scroll()->value(), 2);
  EXPECT_EQ(label2(), "2/3");
  EXPECT_EQ(text1(1)->text(), "65535");
  QTest::mouseClick(chart(), Qt::LeftButton, {}, rowPoint(3));
  EXPECT_EQ(label2(), "3/3");
  EXPECT_EQ(text1(1)->text(), "7");
}

}  // namespace
}  // namespace twk
