#pragma once

namespace twk {

// What the user chooses, kept across starts with QSettings: the one place that names each key.

// "Packets held": how many packets the window holds, kDefaultPacketsHeld until the user chooses.
int packetsHeldSetting();
void savePacketsHeldSetting(int packets);

}  // namespace twk
