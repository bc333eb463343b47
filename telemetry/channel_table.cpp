#include "telemetry/channel_table.h"

namespace twk {

const std::array<ChannelInfo, kChannelCount>& channelTable() {
  static constexpr std::array<ChannelInfo, kChannelCount> kTable{{
      // group, name, unit; channel n at index n
      {"", "System time", ""},
      {"Battery A", "RAAC", "mAh"},
      {"Battery A", "Avg. Current", "mA"},
      {"Battery A", "Temp", "C"},
      {"Battery A", "Volts", "V"},
      {"Battery A", "Inst. Current", "mA"},
      {"Battery B", "RAAC", "mAh"},
      {"Battery B", "Avg. Current", "mA"},
      {"Battery B", "Temp", "C"},
      {"Battery B", "Volts", "V"},
      {"Battery B", "Inst. Current", "mA"},
      {"Solar Arrays Currents", "SA1 ( +X )", "mA"},
      {"Solar Arrays Currents", "SA2 ( -X )", "mA"},
      {"Solar Arrays Currents", "SA3 ( -Y )", "mA"},
      {"Solar Arrays Currents", "SA4 ( +Y )", "mA"},
      {"Solar Arrays Currents", "SA5 ( -Z )", "mA"},
      {"Solar Arrays Currents", "SA6 ( +Z )", "mA"},
      {"Regulator", "3.3V Reg. Cur", "mA"},
      {"Regulator", "5V Reg Cur", "mA"},
      {"Regulator", "3.3V Reg Volts", "V"},
      {"Regulator", "5V Reg Volts", "V"},
      {"Temperatures", "3.3V Reg Temp", "C"},
      {"Temperatures", "5V Reg Temp", "C"},
      {"Temperatures", "Controller Temp", "C"},
      {"Temperatures", "Amplifier Temp", "C"},
      {"COMM", "RSSI [dB]", ""},
      {"COMM", "File System Pointer", ""},
      {"COMM", "Failed Packet Count", ""},
      {"COMM", "Comm RX Count", ""},
      {"COMM", "Subsystem Status", ""},
      // A spare name label outside the window, still carrying its default caption.
      {"", "Label5", ""},
  }};
  return kTable;
}

std::string channelLongName(int channel) {
  const ChannelInfo& info = channelTable().at(static_cast<std::size_t>(channel));
  for (const ChannelInfo& other : channelTable()) {
    if (other.name == info.name && other.group != info.group) {
      return std::string(info.group) + " " + std::string(info.name);
    }
  }
  return std::string(info.name);
}

std::string channelTitle(int channel) {
  const std::string_view unit = channelTable().at(static_cast<std::size_t>(channel)).unit;
  return channelLongName(channel) + (unit.empty() ? "" : " [" + std::string(unit) + "]");
}

}  // namespace twk
