#pragma once

#include <QString>

namespace twk {

// What the user chooses for the chart, kept across starts with QSettings: the one place that
// names each key.

// Fit to Values: a line over an axis fitted to the values shown instead of bars from zero.
bool chartFittedSetting();
void saveChartFittedSetting(bool fitted);

// The limits file: "twk/limits.ini" in the user's configuration folder.
QString limitsFilePath();

}  // namespace twk
