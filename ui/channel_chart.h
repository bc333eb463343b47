#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "telemetry/channel_limits.h"

class QGroupBox;
class QWidget;

namespace twk {

class BarChart;
class PacketStore;
class TwipScale;
class ValuePanel;

// The chart of one channel over the packets held, with a second channel beside it on request,
// in the "Graph" frame under the value panel. It decides what the bar chart shows: the
// channels' values, the frame's title, the legend, the labels by number or on-board time, the
// charted channel's limits, the read-out under the mouse and the title of a copied or saved
// picture. Object names: "chartFrame", "chart".
class ChannelChart : public QObject {
  Q_OBJECT

 public:
  // The frame goes on panel, placed in twips as the window was drawn. The store, the limits and
  // the panel's captions are read whenever the chart is drawn.
  ChannelChart(QWidget& panel, const TwipScale& tw, const PacketStore& store,
               const LimitsTable& limits, const ValuePanel& captions);

  QGroupBox* frame() const { return m_frame; }
  BarChart* chart() const { return m_chart; }
  // The charted channel, and the second one (-1 for none).
  int channel() const { return m_channel; }
  int second() const { return m_second; }

  // The log the packets come from: its name goes into a picture's title, and the save dialog
  // starts in its folder.
  void setLogPath(const QString& path) { m_logPath = path; }

  // Charts channel alone over all packets held, keeping a zoomed range.
  void chartChannel(int channel);
  // Adds channel as the second one, in place of another; the second one is taken off again.
  void toggleSecond(int channel);
  // A new load: all its rows are shown again, and without packets the chart is empty and the
  // frame says "Graph". chartChannel() draws it.
  void startLoad();
  // The newest added packets of a followed log joined the store, and as many of the oldest as
  // were dropped left it; returns how many left the chart's front.
  int appendPackets(int added);
  // The limits were read again.
  void limitsChanged();

 private:
  void draw();
  void setSpacing(int rowsShown);
  std::vector<double> valuesOf(int channel, int firstRow) const;
  std::vector<double> secondValues(int firstRow) const;
  ChannelLimits limitsOf(int channel) const;
  // The on-board time of the packet in a chart row, to the minute; empty when not held.
  QString shortTimeOf(int row) const;
  QString readOut(int row) const;
  QString pictureTitle() const;

  const PacketStore& m_store;
  const LimitsTable& m_limits;
  const ValuePanel& m_captions;
  QGroupBox* m_frame = nullptr;
  BarChart* m_chart = nullptr;
  QString m_logPath;
  int m_channel = 1;
  int m_second = -1;
};

}  // namespace twk
