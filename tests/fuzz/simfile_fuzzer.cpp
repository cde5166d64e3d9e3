// Any text as a simulation file or a state file: an answer, never a crash.
#include "simfile.h"
#include "statefile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  drivesim::SimFile file;
  std::string error;
  if (drivesim::ParseSimFile(text, &file, &error)) {
    drivesim::SimFile again;
    drivesim::ParseSimFile(drivesim::FormatSimFile(file.devices), &again, &error);
  }
  const std::vector<drivesim::DeviceConfig> devices(3, drivesim::DeviceConfig::SupportedDrive("62kb", 'E'));
  drivesim::ParseStateFile(text, drivesim::Fingerprint(""), devices);
  return 0;
}
