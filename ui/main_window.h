#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/error.h"
#include "intake/packet_store.h"
#include "telemetry/channel_limits.h"

class QScreen;
class QToolButton;

namespace twk {

class ChannelChart;
class CrossingsWindow;
class ElidingLabel;
class LimitCrossingsModel;
class LogView;
class PacketNavigator;
class ValuePanel;

// The main window. It owns the packets of the load, the log they came from and the channels'
// limits, and lays out its parts: the log view at the top, the value panel (ValuePanel) of one
// packet, the chart (ChannelChart) of one or two channels over all packets, and at the bottom
// the file label and the packet navigation (PacketNavigator). The commands of the menus load
// logs through it; it shows what they loaded and keeps its parts in step as the user moves
// through the packets.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Makes the window no larger than its screen's free area, with room for the window frame;
  // the program calls it before it shows the window.
  void fitToScreen();
  // Gives the window the size, place and maximised state it had when last closed, on a screen
  // that exists now and within its free area; without a remembered place nothing changes.
  void restorePlace();
  void setVisible(bool visible) override;

  PacketStore& packets() { return m_packets; }
  const PacketStore& packets() const { return m_packets; }
  // How many packets the window holds; the packets held stay, as many of the newest as fit.
  void setPacketsHeld(int packets);
  // The label at the bottom left: the file read, or what became of a command.
  ElidingLabel& fileLabel() const { return *m_fileLabel; }
  LogView& logView() const { return *m_log; }
  // The log whose packets are shown last, empty before the first.
  const QString& logPath() const { return m_logPath; }
  // A channel's name as the panel shows it: the CSV file's header.
  QString channelCaption(int channel) const;

  // How a log that holds no packet leaves the window.
  enum class WhenEmpty {
    Show,  // a file of a fresh load: it is the file shown, its empty log view included
    Keep,  // a file added to the load: the window keeps showing the load as it was
  };
  // Empties the window's packets for a fresh load; nothing is shown until loadLog or showLoad.
  void startLoad();
  // Reads the log at path into the store after the packets already there and shows packet 1 of
  // all the packets and channel 1. Lines that cannot be stored are read past and added to
  // skipped. A twk::Error is passed on after the window shows the packets stored before it.
  // Returns the number of packets the file added.
  int loadLog(const QString& path, std::vector<Error>& skipped,
              WhenEmpty whenEmpty = WhenEmpty::Show);
  // Shows the load as the store holds it: its first packet, channel 1 charted alone.
  void showLoad();

  // A fresh load of a log that the station is still writing: the store drops its oldest packets
  // when full, and the log view keeps its newest lines.
  void startFollowing(const QString& path);
  void stopFollowing();
  // Shows the packets from number first on that were added to the load after it was shown, as
  // a followed log grows: the chart gains their bars (and loses those of the packets that left),
  // the scroll bar its range, and a panel that showed the newest packet moves on to the new
  // newest one; one moved back keeps its packet while it is held.
  void appendPackets(std::int64_t first);

  // Charts channel alone, marking its button and field.
  void chartChannel(int channel);
  // Ctrl+click on a channel's button: adds channel to the chart as a second one, on an axis of
  // its own, in place of another second one; a second click takes it off again.
  void toggleSecondChannel(int channel);
  // Shows the packet of row (1 to the packets held): the panel, the chart's marker, the packet
  // label and the log view's line.
  void showPacket(int row);

  // The channels' limits, from the limits file of the user's configuration folder.
  const LimitsTable& limits() const { return m_limits; }
  // Reads the limits file again and applies it to the panel, the chart and the crossings; tells
  // of lines it skipped. A file changed by another program is read again by itself.
  void reloadLimits();
  // The values outside their limits among the packets held.
  LimitCrossingsModel& crossings() const { return *m_crossings; }
  // Shows the packet of the next crossing after the packet shown (direction 1), or of the one
  // before it (-1); none there, nothing changes.
  void showCrossing(int direction);
  // The list of crossings, a window of its own.
  void showCrossingsList();
  // Red limits crossed by followed packets since the alarm was last acknowledged: the alarm mark
  // at the bottom says how many, and the window asks for attention.
  int unacknowledgedAlarms() const { return m_unacknowledged; }
  void acknowledgeAlarm();

 signals:
  // A log is about to be read into the store (opened or dropped).
  void loadStarting();

 protected:
  // Remembers the window's size, place and maximised state for the next start.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildLayout();
  // The screen's free area less room for the window frame.
  QRect roomOn(const QScreen& screen) const;
  // Shows the row the navigation shows.
  void showChosenPacket();
  // Reads the limits file of the user's configuration folder; tells of lines it skipped.
  void readLimits();
  void watchLimitsFile();
  // Lists the crossings of every packet held anew, for a new load or new limits.
  void findAllCrossings();
  void showAlarm();

  PacketStore m_packets;
  QString m_logPath;
  LimitsTable m_limits;

  LogView* m_log = nullptr;
  ValuePanel* m_panel = nullptr;
  ChannelChart* m_chart = nullptr;
  ElidingLabel* m_fileLabel = nullptr;
  PacketNavigator* m_navigator = nullptr;
  LimitCrossingsModel* m_crossings = nullptr;
  QPointer<CrossingsWindow> m_crossingsWindow;
  QToolButton* m_alarm = nullptr;
  int m_unacknowledged = 0;
  QFileSystemWatcher m_limitsWatcher;
};

}  // namespace twk
