// The persistent drive state beside the simulation file: firmware banks,
// power cycles, tray lock and the counters that faults and medium rules need.
#pragma once

#include "device.h"

#include <cstdint>
#include <string>
#include <vector>

namespace drivesim {

// Fingerprint of the simulation file's text: a state written for another
// version of the file is not used.
uint32_t Fingerprint(const std::string& simText);

std::string FormatStateFile(const std::vector<DriveState>& states, uint32_t fingerprint);

// The states for these devices; the initial state of every device when the
// text is empty, unreadable, or belongs to another simulation file.
std::vector<DriveState> ParseStateFile(const std::string& text, uint32_t fingerprint,
                                       const std::vector<DeviceConfig>& devices);

}  // namespace drivesim
