#include "telemetry/channel_table.h"

namespace twk {

const std::array<ChannelInfo, kChannelCount>& channelTable() {
  static constexpr std::array<ChannelInfo, kChannelCount> kTable{{
      // number, group, name, unit
      {0, "", "System time", ""},
      {1, "Battery A", "RAAC", "mAh"},
      {2, "Battery A", "Avg. Current", "mA"},
      {3, "Battery A", "Temp", "C"},
      {4, "Battery A", "Volts", "V"},
      {5, "Battery A", "Inst. Current", "mA"},
      {6, "Battery B", "RAAC", "mAh"},
      {7, "Battery B", "Avg. Current", "mA"},
      {8, "Battery B", "Temp", "C"},
      {9, "Battery B", "Volts", "V"},
      {10, "Battery B", "Inst. Current", "mA"},
      {11, "Solar Arrays Currents", "SA1 ( +X )", "mA"},
      {12, "Solar Arrays Currents", "SA2 ( -X )", "mA"},
      {13, "Solar Arrays Currents", "SA3 ( -Y )", "mA"},
      {14, "Solar Arrays Currents", "SA4 ( +Y )", "mA"},
      {15, "Solar Arrays Currents", "SA5 ( -Z )", "mA"},
      {16, "Solar Arrays Currents", "SA6 ( +Z )", "mA"},
      {17, "Regulator", "3.3V Reg. Cur", "mA"},
      {18, "Regulator", "5V Reg Cur", "mA"},
      {19, "Regulator", "3.3V Reg Volts", "V"},
      {20, "Regulator", "5V Reg Volts", "V"},
      {21, "Temperatures", "3.3V Reg Temp", "C"},
      {22, "Temperatures", "5V Reg Temp", "C"},
      {23, "Temperatures", "Controller Temp", "C"},
      {24, "Temperatures", "Amplifier Temp", "C"},
      {25, "COMM", "RSSI [dB]", ""},
      {26, "COMM", "File System Pointer", ""},
      {27, "COMM", "Failed Packet Count", ""},
      {28, "COMM", "Comm RX Count", ""},
      {29, "COMM", "Subsystem Status", ""},
      // A spare name label outside the window, still carrying its default caption.
      {30, "", "Label5", ""},
  }};
  return kTable;
}

}  // namespace twk
