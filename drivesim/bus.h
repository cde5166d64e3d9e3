// The simulated bus: devices in index order, and the trace of every command
// they received.
#pragma once

#include "device.h"

#include <string>
#include <vector>

namespace drivesim {

// The bus holds at most this many devices; the device libraries above hold
// 16, so a bus of more tests their limits.
constexpr size_t kMaxDevices = 32;

struct TraceEntry {
  size_t device = 0;
  std::vector<Byte> cdb;
  Direction direction = Direction::None;
  size_t dataLength = 0;
  Status status = Status::Good;
  Sense sense = sense::kNone;

  // "dev=0 cdb=12 00 00 00 38 00 dir=in len=56 status=good sense=0/00/00"
  std::string Format() const;
  static bool Parse(const std::string& line, TraceEntry* out);
  // The command block in hex, "12 00 00 00 38 00".
  std::string CdbHex() const;
};

class SimBus {
 public:
  explicit SimBus(const std::vector<DeviceConfig>& configs);

  size_t Count() const { return devices_.size(); }
  SimDevice* Device(size_t index) { return index < devices_.size() ? &devices_[index] : nullptr; }
  const SimDevice* Device(size_t index) const { return index < devices_.size() ? &devices_[index] : nullptr; }

  // Runs the command on the device at `index` and traces it.
  Reply Execute(size_t index, const Command& cmd);
  void PowerCycleAll();

  const std::vector<TraceEntry>& Trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }

 private:
  std::vector<SimDevice> devices_;
  std::vector<TraceEntry> trace_;
};

}  // namespace drivesim
