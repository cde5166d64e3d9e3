#include "device.h"

#include "commandset.h"

#include <algorithm>
#include <cstring>

namespace drivesim {

namespace {

constexpr Byte kTestUnitReady = 0x00;
constexpr Byte kRequestSense = 0x03;
constexpr Byte kInquiry = 0x12;
constexpr Byte kStartStopUnit = 0x1B;
constexpr Byte kPreventAllowMediumRemoval = 0x1E;

constexpr size_t kStandardCdbLength = 6;
constexpr size_t kVendorCdbLength = 12;
constexpr size_t kInquiryLength = 96;
constexpr size_t kSenseLength = 18;
constexpr Byte kVendorControl = 0x80;  // TEST UNIT READY variant of the Ricoh mechanisms
constexpr Byte kLoadEject = 0x02;
constexpr Byte kStart = 0x01;

// A command block of `length` bytes, sent in a longer packet padded with zeros.
bool PaddedFrom(const Command& cmd, size_t length) {
  return cmd.cdbLength >= length && BytesAreZero(cmd, length, cmd.cdbLength - 1);
}

bool Matches(const Command& cmd, const std::vector<Byte>& prefix) {
  if (prefix.size() > cmd.cdbLength) return false;
  return std::equal(prefix.begin(), prefix.end(), cmd.cdb);
}

Reply SendToHost(const Command& cmd, const Byte* reply, size_t replyLength, size_t allocation) {
  const size_t n = std::min({replyLength, allocation, cmd.dataLength});
  if (n > 0 && (cmd.direction != Direction::In || cmd.data == nullptr)) return Reply::Refuse(sense::kInvalidFieldInCdb);
  if (n > 0) std::memcpy(cmd.data, reply, n);
  return Reply::Good(n);
}

std::unique_ptr<CommandSet> MakeCommandSet(Mechanism mechanism) {
  switch (mechanism) {
    case Mechanism::Nec: return MakeNecCommandSet();
    case Mechanism::Philips: return MakePhilipsCommandSet(false);
    case Mechanism::PhilipsPrepared: return MakePhilipsCommandSet(true);
    case Mechanism::Ricoh: return MakeRicohCommandSet();
    case Mechanism::None: break;
  }
  return nullptr;
}

}  // namespace

const std::vector<SupportedModel>& SupportedModels() {
  static const std::vector<SupportedModel> models = {
      {"61ka", "Zelvo Unit 61ka ", Mechanism::Ricoh},
      {"62kb", "Zelvo Unit 62kb ", Mechanism::Nec},
      {"63kc", "Zelvo Unit 63kc ", Mechanism::Ricoh},
      {"64kd", "Zelvo Unit 64kd ", Mechanism::Philips},
      {"65ke", "Zelvo Unit 65ke ", Mechanism::PhilipsPrepared},
  };
  return models;
}

const SupportedModel* FindModel(const std::string& name) {
  for (const SupportedModel& m : SupportedModels())
    if (name == m.name) return &m;
  return nullptr;
}

DeviceConfig DeviceConfig::SupportedDrive(const std::string& model, char letter) {
  DeviceConfig c;
  c.model = model;
  c.vendor = PadRight("VQ", kVendorWidth);
  const SupportedModel* m = FindModel(model);
  c.product = PadRight(m ? m->product : "", kProductWidth);
  c.mechanism = m ? m->mechanism : Mechanism::None;
  c.revision = PadRight("1.00", kRevisionWidth);
  c.serial = PadRight("", kSerialWidth);
  c.letter = letter;
  return c;
}

DeviceConfig DeviceConfig::OtherDrive(char letter) {
  DeviceConfig c;
  c.vendor = PadRight("OTHERCO", kVendorWidth);
  c.product = PadRight("DVD-RW DRIVE", kProductWidth);
  c.revision = PadRight("1.00", kRevisionWidth);
  c.serial = PadRight("", kSerialWidth);
  c.letter = letter;
  return c;
}

DeviceConfig DeviceConfig::Disk(char letter) {
  DeviceConfig c;
  c.kind = Kind::Disk;
  c.vendor = PadRight("DISKCO", kVendorWidth);
  c.product = PadRight("HARD DISK", kProductWidth);
  c.revision = PadRight("1.00", kRevisionWidth);
  c.serial = PadRight("", kSerialWidth);
  c.letter = letter;
  c.typeCode = 0;
  c.medium = Medium::Present;
  return c;
}

DriveState DriveState::Initial(const DeviceConfig& config) {
  DriveState s;
  s.runningRevision = config.revision;
  s.faultCounts.assign(config.faults.size(), 0);
  return s;
}

SimDevice::SimDevice(const DeviceConfig& config)
    : config_(config), state_(DriveState::Initial(config)), commandSet_(MakeCommandSet(config.mechanism)) {}
SimDevice::SimDevice(SimDevice&&) noexcept = default;
SimDevice& SimDevice::operator=(SimDevice&&) noexcept = default;
SimDevice::~SimDevice() = default;

void SimDevice::SetState(const DriveState& state) {
  state_ = state;
  state_.faultCounts.resize(config_.faults.size(), 0);
}

Identity SimDevice::CurrentIdentity() const { return {config_.vendor, config_.product, state_.runningRevision}; }

uint32_t SimDevice::DelayFor(Byte opcode) const {
  for (const Delay& d : config_.delays)
    if (d.opcode == opcode) return d.milliseconds;
  return 0;
}

Reply SimDevice::Execute(const Command& cmd) {
  if (cmd.cdb == nullptr || cmd.cdbLength == 0 || (cmd.dataLength > 0 && cmd.data == nullptr))
    return {Status::HostFailure, sense::kNone, 0};
  if (!state_.answers) return {Status::NoAnswer, sense::kNone, 0};
  SyncSession();
  Reply reply;
  if (!InjectedFault(cmd, &reply)) reply = Dispatch(cmd);
  state_.lastSense = reply.status == Status::CheckCondition ? reply.sense : sense::kNone;
  return reply;
}

void SimDevice::PowerCycle() {
  if (state_.download == Download::Staged) state_.runningRevision = state_.stagedRevision;
  if (state_.download == Download::Incomplete && config_.failedDownload == FailedDownload::Dead) state_.answers = false;
  state_.stagedRevision.clear();
  state_.download = Download::None;
  state_.trayLocked = false;
  state_.fileSystemBlocking = false;
  state_.lastSense = sense::kNone;
  ++state_.powerCycles;
  SyncSession();
}

// A power cycle seen here (perhaps done by another process) ends any
// download this process had in progress.
void SimDevice::SyncSession() {
  if (state_.powerCycles == sessionPowerCycle_) return;
  if (commandSet_) commandSet_->Abort();
  sessionPowerCycle_ = state_.powerCycles;
}

bool SimDevice::InjectedFault(const Command& cmd, Reply* reply) {
  bool hit = false;
  for (size_t i = 0; i < config_.faults.size(); ++i) {
    const Fault& f = config_.faults[i];
    if (!Matches(cmd, f.match)) continue;
    if (++state_.faultCounts[i] != f.occurrence || hit) continue;
    hit = true;
    if (f.action == FaultAction::Timeout) *reply = {Status::NoAnswer, sense::kNone, 0};
    if (f.action == FaultAction::BusReset) *reply = {Status::HostFailure, sense::kNone, 0};
    if (f.action == FaultAction::Refuse) *reply = Reply::Refuse(f.sense);
  }
  if (hit && commandSet_ && commandSet_->Knows(cmd.Op())) commandSet_->Abort();
  return hit;
}

Reply SimDevice::Dispatch(const Command& cmd) {
  const Byte op = cmd.Op();
  Sense busy;
  if (commandSet_ && commandSet_->IsBusy(&busy) && op != kInquiry && op != kRequestSense) {
    if (op == kTestUnitReady) commandSet_->NotePoll();
    return Reply::Refuse(busy);
  }
  switch (op) {
    case kInquiry: return Inquiry(cmd);
    case kTestUnitReady: return TestUnitReady(cmd);
    case kRequestSense: return RequestSense(cmd);
    case kPreventAllowMediumRemoval: return PreventAllowMediumRemoval(cmd);
    case kStartStopUnit: return StartStopUnit(cmd);
    default: break;
  }
  if (!commandSet_ || !commandSet_->Knows(op)) return Reply::Refuse(sense::kInvalidOpcode);
  if (!PaddedFrom(cmd, kVendorCdbLength)) {
    commandSet_->Abort();
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  }
  DriveContext drive{config_, state_};
  return commandSet_->Execute(cmd, drive);
}

Reply SimDevice::Inquiry(const Command& cmd) {
  if (!PaddedFrom(cmd, kStandardCdbLength) || cmd.At(1) != 0 || cmd.At(2) != 0 || cmd.At(3) != 0 || cmd.At(5) != 0)
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  Byte data[kInquiryLength] = {};
  data[0] = static_cast<Byte>(config_.typeCode & 0x1F);
  data[1] = config_.kind == Kind::Drive ? 0x80 : 0x00;  // removable medium
  data[3] = 0x02;                                       // response data format
  data[4] = kInquiryLength - 5;
  std::memcpy(data + 8, config_.vendor.data(), kVendorWidth);
  std::memcpy(data + 16, config_.product.data(), kProductWidth);
  std::memcpy(data + 32, PadRight(state_.runningRevision, kRevisionWidth).data(), kRevisionWidth);
  std::memcpy(data + 46, config_.serial.data(), kSerialWidth);
  return SendToHost(cmd, data, sizeof data, cmd.At(4));
}

Reply SimDevice::TestUnitReady(const Command& cmd) {
  const Byte control = cmd.At(5);
  if (!PaddedFrom(cmd, kStandardCdbLength) || !BytesAreZero(cmd, 1, 4) || (control != 0 && control != kVendorControl))
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  if (cmd.dataLength != 0) return Reply::Refuse(sense::kParameterLengthError);
  const uint32_t n = ++state_.turCount;
  if (n <= config_.notReadyTurs) return Reply::Refuse(sense::kBecomingReady);
  if (n - config_.notReadyTurs <= config_.mediumForTurs) return Reply::Good();
  return MediumState();
}

Reply SimDevice::MediumState() {
  switch (config_.medium) {
    case Medium::None: return Reply::Refuse(sense::kNoMedium);
    case Medium::BecomingReady: return Reply::Refuse(sense::kBecomingReady);
    case Medium::Unusable: return Reply::Refuse(sense::kIncompatibleMedium);
    case Medium::Changed:
      if (state_.changeReported) return Reply::Good();
      state_.changeReported = true;
      return Reply::Refuse(sense::kMediumChanged);
    case Medium::Present: break;
  }
  return Reply::Good();
}

Reply SimDevice::RequestSense(const Command& cmd) {
  if (!PaddedFrom(cmd, kStandardCdbLength) || !BytesAreZero(cmd, 1, 3) || cmd.At(5) != 0)
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  Byte data[kSenseLength] = {};
  data[0] = 0x70;  // current error, fixed format
  data[2] = state_.lastSense.key;
  data[7] = kSenseLength - 8;
  data[12] = state_.lastSense.asc;
  data[13] = state_.lastSense.ascq;
  return SendToHost(cmd, data, sizeof data, cmd.At(4));
}

Reply SimDevice::PreventAllowMediumRemoval(const Command& cmd) {
  if (!PaddedFrom(cmd, kStandardCdbLength) || !BytesAreZero(cmd, 1, 3) || cmd.At(4) > 1 || cmd.At(5) != 0)
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  if (cmd.dataLength != 0) return Reply::Refuse(sense::kParameterLengthError);
  state_.trayLocked = cmd.At(4) == 1;
  return Reply::Good();
}

Reply SimDevice::StartStopUnit(const Command& cmd) {
  const Byte action = cmd.At(4);
  if (!PaddedFrom(cmd, kStandardCdbLength) || cmd.At(1) > 1 || !BytesAreZero(cmd, 2, 3) ||
      (action & ~(kLoadEject | kStart)) != 0 || cmd.At(5) != 0)
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  if (cmd.dataLength != 0) return Reply::Refuse(sense::kParameterLengthError);
  const bool eject = action == kLoadEject;
  if (eject && config_.kind == Kind::Disk) return Reply::Refuse(sense::kInvalidFieldInCdb);
  if (eject && state_.trayLocked) return Reply::Refuse(sense::kRemovalPrevented);
  if (eject && commandSet_) commandSet_->NoteEject();
  return Reply::Good();
}

}  // namespace drivesim
