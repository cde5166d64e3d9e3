// The simulation as every process sees it: the simulation file, the drive
// state beside it and the trace, shared through a lock file so that the
// update run, the check run and pxsim can use the same drives, one after the
// other or at once.
#pragma once

#include "bus.h"
#include "simfile.h"

#include <memory>
#include <string>
#include <vector>

namespace drivesim {

// For "dir/pxsim.ini": "dir/pxsim.state", "dir/pxsim.trace", "dir/pxsim.lock".
struct SimPaths {
  std::string sim, state, trace, lock;
  static SimPaths For(const std::string& simPath);
};

class SimStore {
 public:
  // Reads the simulation file. False with a message when it is missing or
  // not valid; then the store has no devices.
  bool Open(const std::string& simPath, std::string* error);

  const SimPaths& Paths() const { return paths_; }
  const std::vector<std::string>& Warnings() const { return file_.warnings; }
  size_t Count() const { return file_.devices.size(); }
  const DeviceConfig* Config(size_t index) const;

  // One command on one device, with the state loaded before and saved after
  // under the lock, and the command traced.
  Reply Execute(size_t index, const Command& cmd);
  // The sense of the device's last command (a good one leaves none).
  bool LastSense(size_t index, Sense* out);
  bool SetFileSystemBlocking(size_t index, bool on);
  // The computer is switched off and on: every drive runs its staged image.
  bool PowerCycle();
  std::vector<DriveState> States();

  std::vector<std::string> TraceLines();
  bool ClearTrace();

 private:
  class Transaction;

  SimPaths paths_;
  SimFile file_;
  uint32_t fingerprint_ = 0;
  std::unique_ptr<SimBus> bus_ = std::make_unique<SimBus>(std::vector<DeviceConfig>());
};

}  // namespace drivesim
