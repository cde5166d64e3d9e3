// The simulation file: one [device] section per device, in bus index order.
// Described with an example in README.md beside this file.
#pragma once

#include "device.h"

#include <string>
#include <vector>

namespace drivesim {

struct SimFile {
  std::vector<DeviceConfig> devices;
  std::vector<std::string> warnings;  // the file is usable, but not all of it
};

// False with "line N: ..." for the first error; a file with an error is not
// used at all.
bool ParseSimFile(const std::string& text, SimFile* out, std::string* error);
bool LoadSimFile(const std::string& path, SimFile* out, std::string* error);

// The text of a simulation file that describes exactly these devices.
std::string FormatSimFile(const std::vector<DeviceConfig>& devices);
bool WriteSimFile(const std::string& path, const std::vector<DeviceConfig>& devices);

// Short descriptions for pxsim's create command: "62kb:E", "disk:C",
// "drive:F" (another vendor's drive), "62kb" (no letter).
bool ParseDeviceShorthand(const std::string& text, DeviceConfig* out, std::string* error);

}  // namespace drivesim
