#include "telemetry/channel_table.h"

namespace twk {

const std::array<ChannelInfo, kChannelCount>& channelTable() {
  using R = TextRule;
  static constexpr std::array<ChannelInfo, kChannelCount> kTable{{
      // number, group, name, unit, rule, row top, name width, unit width
      {0, "", "System time", "", R::Time, 240, 1095, 375},
      {1, "Battery A", "RAAC", "mAh", R::Whole, 360, 1335, 375},
      {2, "Battery A", "Avg. Current", "mA", R::TwoDecimals, 600, 1335, 375},
      {3, "Battery A", "Temp", "C", R::TwoDecimals, 1080, 1335, 375},
      {4, "Battery A", "Volts", "V", R::TwoDecimals, 1320, 1335, 255},
      {5, "Battery A", "Inst. Current", "mA", R::TwoDecimals, 840, 1335, 375},
      {6, "Battery B", "RAAC", "mAh", R::Whole, 360, 1335, 375},
      {7, "Battery B", "Avg. Current", "mA", R::TwoDecimals, 600, 1335, 375},
      {8, "Battery B", "Temp", "C", R::TwoDecimals, 1080, 1335, 375},
      {9, "Battery B", "Volts", "V", R::TwoDecimals, 1320, 1335, 255},
      {10, "Battery B", "Inst. Current", "mA", R::TwoDecimals, 840, 1335, 375},
      {11, "Solar Arrays Currents", "SA1 ( +X )", "mA", R::TwoDecimals, 360, 1335, 375},
      {12, "Solar Arrays Currents", "SA2 ( -X )", "mA", R::TwoDecimals, 600, 1335, 375},
      {13, "Solar Arrays Currents", "SA3 ( -Y )", "mA", R::TwoDecimals, 840, 1335, 375},
      {14, "Solar Arrays Currents", "SA4 ( +Y )", "mA", R::TwoDecimals, 1080, 1335, 375},
      {15, "Solar Arrays Currents", "SA5 ( -Z )", "mA", R::TwoDecimals, 1320, 1335, 375},
      {16, "Solar Arrays Currents", "SA6 ( +Z )", "mA", R::TwoDecimals, 1560, 1335, 375},
      {17, "Regulator", "3.3V Reg. Cur", "mA", R::TwoDecimals, 360, 1335, 375},
      {18, "Regulator", "5V Reg Cur", "mA", R::TwoDecimals, 840, 1335, 255},
      {19, "Regulator", "3.3V Reg Volts", "V", R::TwoDecimals, 600, 1335, 375},
      {20, "Regulator", "5V Reg Volts", "V", R::TwoDecimals, 1080, 1335, 375},
      {21, "Temperatures", "3.3V Reg Temp", "C", R::TwoDecimals, 360, 1335, 255},
      {22, "Temperatures", "5V Reg Temp", "C", R::TwoDecimals, 600, 1335, 255},
      {23, "Temperatures", "Controller Temp", "C", R::TwoDecimals, 840, 1335, 255},
      {24, "Temperatures", "Amplifier Temp", "C", R::TwoDecimals, 1080, 1335, 255},
      {25, "COMM", "RSSI [dB]", "", R::TwoDecimals, 360, 975, 375},
      {26, "COMM", "File System Pointer", "", R::Hex, 840, 1335, 375},
      {27, "COMM", "Failed Packet Count", "", R::Whole, 1080, 1455, 375},
      {28, "COMM", "Comm RX Count", "", R::Whole, 1320, 1335, 375},
      {29, "COMM", "Subsystem Status", "", R::Hex, 1560, 1335, 375},
      // A spare name label outside the window, still carrying its default caption.
      {30, "", "Label5", "", R::TwoDecimals, -1, 1335, 375},
  }};
  return kTable;
}

}  // namespace twk
