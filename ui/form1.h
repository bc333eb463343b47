#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "core/error.h"
#include "intake/packet_store.h"
#include "telemetry/channel_conversion.h"
#include "telemetry/channel_limits.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScreen;

namespace twk {

class BarChart;
class LogView;
class OptionButton;
class PacketScrollBar;

// The main window. It owns the packet store and the channel values and shows them: the log view
// at the top, the value panel of channels 0 to 29 grouped by subsystem, the chart of one channel
// over all packets, the file label, the packet label and the packet scroll bar.
//
// Controls of an indexed array carry the array's name and the index as their object name,
// "Text1(5)", "Option1(5)", "Label5(5)", "Label1(5)", so findChild reaches each by the name
// users of the window know it by. Single controls carry their plain names ("Label2",
// "HScroll1", "RichTextBox1", "MSChart1", "List2", "Frame8").
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  // Rows 0 to 32 exist as controls; rows 30 to 32 lie outside the visible window.
  static constexpr int kRowCount = 33;
  // The highlight of the charted channel's value field, light yellow.
  static constexpr QRgb kHighlight = 0xFFFFFFC0;
  // The text of a value outside its limits: red, or amber for a yellow limit.
  static constexpr QRgb kRedLimit = 0xFFC00000;
  static constexpr QRgb kYellowLimit = 0xFFB86E00;
  // The value field of a second channel on the chart: a pale tint of its line's teal.
  static constexpr QRgb kSecondHighlight = 0xFFD2EEEA;

  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Makes the window no larger than its screen's free area, with room for the window frame;
  // the program calls it before it shows the window.
  void fitToScreen();
  // Gives the window the size, place and maximised state it had when last closed, on a screen
  // that exists now and within its free area; without a remembered place nothing changes.
  void restorePlace();
  void setVisible(bool visible) override;

 protected:
  // Remembers the window's size, place and maximised state for the next start.
  void closeEvent(QCloseEvent* event) override;

 public:
  PacketStore& packets() { return m_packets; }
  // How many packets the window holds; the packets held stay, as many of the newest as fit.
  void setPacketsHeld(int packets);
  // ", newest N held" once the oldest packets of a followed log have left the window.
  QString heldNote() const;
  // The controls the commands write to: the work list, the file label and the log view.
  QListWidget* List2() const { return m_fileList; }
  QLabel* Label3() const { return m_fileLabel; }
  LogView* RichTextBox1() const { return m_log; }
  // The caption of name label Label5(n) as the window holds it, for n from 0 to 32.
  QString channelCaption(int n) const;

  // The log file that Decode_TextFile reads next; callers set it first.
  QString Log_FileName;

  // How a decoded file that holds no packet leaves the window.
  enum class WhenEmpty {
    Show,  // a file of a fresh load: it is the file shown, its empty log view included
    Keep,  // a file added to the load: the window keeps showing the load as it was
  };

  // Reads Log_FileName into the store after the packets already there, converts all packets
  // and shows packet 1 and channel 1. A twk::Error is passed on after the window shows the
  // packets stored before it. Returns the number of packets the file added.
  int Decode_TextFile(WhenEmpty whenEmpty = WhenEmpty::Show);
  // The lines of the load that could not be stored, which Decode_TextFile reads past; a load
  // empties the list before its first file.
  std::vector<Error>& skippedLines() { return m_skippedLines; }
  // Brings the window up to date with packets 1..count().
  void Make_Channels();
  // Fills the 31 value fields from a packet row (0 to the capacity, a row not held reading as
  // zero bytes); throws std::out_of_range otherwise.
  void Show_Data(int packet);
  // Marks channel index as the charted one and charts it alone.
  void Option1_Click(int index);
  // Ctrl+click on an option button: adds channel index to the chart as a second channel, on an
  // axis of its own, in place of another second one; a second click takes it off again.
  void toggleSecondChannel(int index);
  // The second channel on the chart, -1 for none.
  int secondChannel() const { return m_secondChannel; }
  void Draw_Chart(int channel);
  void HScroll1_Change();

  // Shows the packets from number first on that were added to the load after it was shown, as
  // a followed log grows: the chart gains their bars (and loses those of the packets that left),
  // the scroll bar its range, and a panel that showed the newest packet moves on to the new
  // newest one; one moved back keeps its packet while it is held.
  void appendPackets(std::int64_t first);
  // Moves the scroll bar to packet and shows it.
  void showPacket(int packet);

 signals:
  // A file is about to be decoded into the store (opened or dropped).
  void decodingStarted();

 private:
  // The screen's free area less room for the window frame.
  QRect roomOn(const QScreen& screen) const;
  void buildLayout();
  void showChannels();
  void setFieldText(int n, const QString& text);
  // The chart's label and tick spacing for the number of packets it shows.
  void setChartSpacing(int rowsShown);
  // A channel's values of rows first..count(), as the chart shows them.
  std::vector<double> chartValues(int channel, int first) const;
  // The second channel's values of rows first..count(), empty without one.
  std::vector<double> secondValues(int first) const;
  // "Volts [V]": a channel's name and unit as the legend and the picture's title give them.
  QString seriesName(int channel) const;
  // Tints the value fields of the charted channels: light yellow, and teal for a second one.
  void markChartedFields();
  // Highlights the shown packet's line in the log view.
  void showPacketLine();
  // Reads the limits file of the user's configuration folder; tells of lines it skipped.
  void readLimits();
  ChannelLimits chartLimits(int channel) const;
  // Marks value field n red or amber when value lies outside the channel's limits.
  void markLimit(int n, double value);
  // The title line of a copied or saved chart: channel and unit, log, packets and times shown.
  QString chartTitle() const;
  QString chartToolTip(int row) const;
  QString packetLabelText() const;

  PacketStore m_packets;
  std::vector<Error> m_skippedLines;
  LimitsTable m_limits;

  std::array<OptionButton*, kRowCount> m_option{};
  std::array<QLabel*, kRowCount> m_name{};
  std::array<QLineEdit*, kRowCount> m_text{};
  std::array<QLabel*, kRowCount> m_unit{};     // none for rows 30 to 32
  std::array<QString, kRowCount> m_hoverText;  // a field's own tooltip
  QGroupBox* m_chartFrame = nullptr;
  BarChart* m_chart = nullptr;
  QLabel* m_fileLabel = nullptr;
  QLabel* m_packetLabel = nullptr;
  PacketScrollBar* m_scroll = nullptr;
  LogView* m_log = nullptr;
  QListWidget* m_fileList = nullptr;
  QString m_chartUnit;
  int m_chartChannel = 1;
  int m_secondChannel = -1;
};

}  // namespace twk
