#pragma once

#include <QObject>
#include <QRgb>
#include <QString>
#include <array>
#include <string_view>
#include <vector>

#include "telemetry/channel_conversion.h"
#include "telemetry/channel_limits.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace twk {

class OptionButton;
class PanelFrame;
class TwipScale;

// The value panel: the channels of one packet, grouped by subsystem in frames. Each channel's
// row has an option button that charts it, its name, its value field and its unit. A value
// outside its channel's limits shows in bold red or amber; the charted channel's field is light
// yellow, a second charted channel's pale teal. Channel 0 (the on-board time) has no button in
// sight, channel 30 no row in sight, and three spare rows lie right of the window: they hold
// values and captions but are never seen.
//
// Its controls are children of the window's panel, placed in twips as the window was drawn.
// Their object names carry the channel: "chartButton(5)", "channelName(5)", "valueField(5)",
// "channelUnit(5)".
class ValuePanel : public QObject {
  Q_OBJECT

 public:
  // Rows 0 to 32 exist as controls; rows 30 to 32 lie outside the visible window.
  static constexpr int kRowCount = 33;

  // limits is read each time a value is shown; the window keeps it up to date.
  ValuePanel(QWidget& panel, const TwipScale& tw, const LimitsTable& limits);

  // The group frames in reading order: top to bottom, left to right.
  const std::vector<PanelFrame*>& frames() const { return m_frames; }
  // Puts the panel's buttons and fields into the tab chain after previous, frame by frame in
  // reading order and top to bottom within a frame; returns the last.
  QWidget* chainTabOrder(QWidget* previous) const;

  // A channel's name and unit as the panel shows them ("Volts", "V"); the unit is empty where
  // the panel shows none.
  QString caption(int channel) const;
  QString unit(int channel) const;
  // "Battery A Volts [V]": the name outside the panel (with its group where another group has
  // the same caption) and the unit, as the chart's legend and picture title give it.
  QString seriesName(int channel) const;

  // Shows a packet's values, each as the panel writes its channel, marked where it crosses a
  // limit.
  void showValues(const ChannelRow& values, std::string_view separator);
  // Shows no values: a load without packets.
  void clearValues();
  // Checks the charted channel's button alone and tints its field, and a second channel's
  // (-1 for none).
  void markCharted(int channel, int second);

 signals:
  // A plain click on a channel's button, and one with Ctrl held.
  void chartRequested(int channel);
  void secondRequested(int channel);

 private:
  void buildRow(int n, QWidget& panel, const TwipScale& tw);
  void setFieldText(int n, const QString& text);
  void markLimit(int n, double value);

  const LimitsTable& m_limits;
  std::vector<PanelFrame*> m_frames;
  std::array<OptionButton*, kRowCount> m_button{};
  std::array<QLabel*, kRowCount> m_name{};
  std::array<QLineEdit*, kRowCount> m_field{};
  std::array<QLabel*, kRowCount> m_unit{};     // none for rows 30 to 32
  std::array<QString, kRowCount> m_hoverText;  // a field's own tooltip
};

}  // namespace twk
