// Helpers for Windows tests over PX.DLL and the simulated drives: a
// simulation file in a folder of the test's own, pointed at by PXSIM_FILE
// for this process and the processes it starts; and PX.DLL loaded by name
// with its ordinals bound.
#pragma once

#include "device.h"
#include "pxclient.h"
#include "store.h"

#include <windows.h>

#include <string>
#include <vector>

namespace pxtest {

class SimulationFile {
 public:
  // Writes the devices as pxsim.ini into a new temporary folder and sets
  // PXSIM_FILE to it.
  explicit SimulationFile(const std::vector<drivesim::DeviceConfig>& devices);
  // Writes the text as it stands (for files with faults in them).
  explicit SimulationFile(const std::string& text);
  // Removes the folder and clears PXSIM_FILE.
  ~SimulationFile();
  SimulationFile(const SimulationFile&) = delete;
  SimulationFile& operator=(const SimulationFile&) = delete;

  const std::string& Folder() const { return folder_; }
  const std::string& Path() const { return path_; }

  // The drives as another process sees them.
  std::vector<drivesim::DriveState> States();
  std::vector<drivesim::TraceEntry> Trace();
  bool ClearTrace();
  bool PowerCycle();

 private:
  void Create(const std::string& text);
  drivesim::SimStore OpenStore();

  std::string folder_;
  std::string path_;
};

// PX.DLL loaded with LoadLibraryA("PX.DLL") and every ordinal bound; false
// when the file or any ordinal is missing.
bool BindAllOfPx(PxFunctions* px);

}  // namespace pxtest
