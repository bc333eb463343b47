#pragma once

#include <QString>

namespace twk {

// What the user chooses for the chart, kept across starts with QSettings: the one place that
// names each key.

// Fit to Values: a line over an axis fitted to the values shown instead of bars from zero.
bool chartFittedSetting();
void saveChartFittedSetting(bool fitted);

// Label by On-board Time: the chart's categories named by the packets' on-board times.
bool chartTimeLabelsSetting();
void saveChartTimeLabelsSetting(bool on);

// The limits file: "twk/limits.ini" in the user's configuration folder.
QString limitsFilePath();

}  // namespace twk
