// One device of the simulated bus: its configuration (from the simulation
// file), its persistent state (firmware banks, tray lock, counters) and the
// standard commands every device answers.
#pragma once

#include "identity.h"
#include "scsi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace drivesim {

enum class Kind { Drive, Disk };

// Which vendor download command set a drive's mechanism understands.
enum class Mechanism { None, Nec, Philips, PhilipsPrepared, Ricoh };

enum class Medium { None, Present, BecomingReady, Unusable, Changed };

// What a power cycle makes of a drive whose download was left incomplete.
enum class FailedDownload { KeepOld, Dead };

enum class FaultAction { Refuse, Timeout, BusReset };

// Refuse the Nth command (counted from 1) whose block starts with `match`.
struct Fault {
  std::vector<Byte> match;
  uint32_t occurrence;
  FaultAction action;
  Sense sense;
};

// Every command with this operation code takes this long.
struct Delay {
  Byte opcode;
  uint32_t milliseconds;
};

struct DeviceConfig {
  Kind kind = Kind::Drive;
  std::string model;  // one of the supported models, or empty
  Mechanism mechanism = Mechanism::None;
  std::string vendor;    // padded to 8
  std::string product;   // padded to 16
  std::string revision;  // padded to 4
  std::string serial;    // padded to 10
  char letter = 0;       // 0: no drive letter
  int typeCode = 5;
  int stateValue = 6;
  Medium medium = Medium::None;
  uint32_t notReadyTurs = 0;   // the first N TEST UNIT READYs answer "becoming ready"
  uint32_t mediumForTurs = 0;  // the next K find a medium
  uint32_t busyPolls = 3;      // Ricoh: polls answered "busy" after erase and write
  FailedDownload failedDownload = FailedDownload::KeepOld;
  std::vector<Fault> faults;
  std::vector<Delay> delays;

  // A drive of one of the supported models ("62kb"), another vendor's
  // optical drive, a hard disk. Letter 0 means none.
  static DeviceConfig SupportedDrive(const std::string& model, char letter);
  static DeviceConfig OtherDrive(char letter);
  static DeviceConfig Disk(char letter);
};

struct SupportedModel {
  const char* name;     // as the simulation file names it
  const char* product;  // INQUIRY product identification
  Mechanism mechanism;
};

// The five models of the drive manager's table; nullptr when unknown.
const SupportedModel* FindModel(const std::string& name);
const std::vector<SupportedModel>& SupportedModels();

enum class Download { None, Incomplete, Staged };

// What survives a process: written to the state file after every command.
struct DriveState {
  std::string runningRevision;
  std::string stagedRevision;
  Download download = Download::None;
  bool answers = true;
  uint32_t powerCycles = 0;
  bool trayLocked = false;
  bool fileSystemBlocking = false;
  Sense lastSense = sense::kNone;
  uint32_t turCount = 0;
  bool changeReported = false;
  std::vector<uint32_t> faultCounts;  // one per fault of the configuration

  static DriveState Initial(const DeviceConfig& config);
};

class CommandSet;

// What a vendor command set may see and change of its drive.
struct DriveContext {
  const DeviceConfig& config;
  DriveState& state;
};

class SimDevice {
 public:
  explicit SimDevice(const DeviceConfig& config);
  SimDevice(SimDevice&&) noexcept;
  SimDevice& operator=(SimDevice&&) noexcept;
  ~SimDevice();

  const DeviceConfig& Config() const { return config_; }
  DriveState& State() { return state_; }
  const DriveState& State() const { return state_; }
  void SetState(const DriveState& state);

  // Runs one command; the sense of a refusal is kept for REQUEST SENSE.
  Reply Execute(const Command& cmd);

  // Runs staged firmware, clears the tray lock and any download in progress.
  void PowerCycle();

  uint32_t DelayFor(Byte opcode) const;
  Identity CurrentIdentity() const;

 private:
  Reply Dispatch(const Command& cmd);
  bool InjectedFault(const Command& cmd, Reply* reply);
  Reply Inquiry(const Command& cmd);
  Reply TestUnitReady(const Command& cmd);
  Reply RequestSense(const Command& cmd);
  Reply PreventAllowMediumRemoval(const Command& cmd);
  Reply StartStopUnit(const Command& cmd);
  Reply MediumState();
  void SyncSession();

  DeviceConfig config_;
  DriveState state_;
  std::unique_ptr<CommandSet> commandSet_;
  uint32_t sessionPowerCycle_ = 0;
};

}  // namespace drivesim
