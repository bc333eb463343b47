#pragma once

#include <QString>

namespace twk {

// What the user chooses, kept across starts with QSettings: the one place that names each key.

// "Packets held": how many packets the window holds, kDefaultPacketsHeld until the user chooses.
int packetsHeldSetting();
void savePacketsHeldSetting(int packets);

// Fit to Values: a line over an axis fitted to the values shown instead of bars from zero.
bool chartFittedSetting();
void saveChartFittedSetting(bool fitted);

// Label by On-board Time: the chart's categories named by the packets' on-board times.
bool chartTimeLabelsSetting();
void saveChartTimeLabelsSetting(bool on);

// The limits file: "twk/limits.ini" in the user's configuration folder.
QString limitsFilePath();

}  // namespace twk
