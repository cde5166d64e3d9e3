// Ricoh mechanism download command set, drive side: E4 opens the download,
// 128 program blocks of 8 192 bytes follow with E2, then E0 and E1 (erase and
// write). The drive then stays busy for a number of polls, answering NOT
// READY 2/F7/00 while erasing and 2/F7/01 while writing.
#include "commandset.h"

#include <algorithm>

namespace drivesim {

namespace {

constexpr Byte kReadBufferSelect = 0xE0;
constexpr Byte kEraseAndWrite = 0xE1;
constexpr Byte kSendProgram = 0xE2;
constexpr Byte kRead = 0xE3;
constexpr Byte kReadBuffer = 0xE4;
constexpr Byte kFlagOn = 0x40;
constexpr size_t kBlockSize = 8192;
constexpr size_t kBlockCount = 128;

enum class Phase { Idle, Receiving, Selected, Busy };

class RicohCommandSet : public CommandSet {
 public:
  bool Knows(Byte opcode) const override { return opcode >= kReadBufferSelect && opcode <= kReadBuffer; }

  Reply Execute(const Command& cmd, DriveContext& drive) override {
    Reply reply = Dispatch(cmd, drive);
    if (reply.status != Status::Good) Abort();
    return reply;
  }

  bool IsBusy(Sense* busySense) const override {
    if (phase_ != Phase::Busy) return false;
    *busySense = pollsDone_ < (busyPolls_ + 1) / 2 ? sense::kBusyErasing : sense::kBusyWriting;
    return true;
  }

  void NotePoll() override {
    if (phase_ == Phase::Busy && ++pollsDone_ >= busyPolls_) phase_ = Phase::Idle;
  }

  void Abort() override {
    phase_ = Phase::Idle;
    blocks_ = 0;
    image_.clear();
  }

 private:
  Reply Dispatch(const Command& cmd, DriveContext& drive) {
    switch (cmd.Op()) {
      case kReadBuffer: return ReadBuffer(cmd);
      case kSendProgram: return SendProgram(cmd, drive);
      case kReadBufferSelect: return ReadBufferSelect(cmd);
      case kEraseAndWrite: return EraseAndWrite(cmd, drive);
      case kRead: return Read(cmd);
      default: return Reply::Refuse(sense::kInvalidOpcode);
    }
  }

  // E4 and E1 carry their flag in byte 9 and nothing else.
  static bool FlagOnlyCommand(const Command& cmd) {
    return cmd.At(9) == kFlagOn && BytesAreZero(cmd, 1, 8) && BytesAreZero(cmd, 10, 11);
  }

  Reply ReadBuffer(const Command& cmd) {
    if (!FlagOnlyCommand(cmd)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (phase_ != Phase::Idle) return Reply::Refuse(sense::kSequenceError);
    phase_ = Phase::Receiving;
    blocks_ = 0;
    image_.clear();
    image_.reserve(kBlockSize * kBlockCount);
    return Reply::Good();
  }

  Reply SendProgram(const Command& cmd, DriveContext& drive) {
    if (!BytesAreZero(cmd, 1, 4) || !BytesAreZero(cmd, 8, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (cmd.BigEndian(5, 3) != kBlockSize) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (phase_ != Phase::Receiving || blocks_ == kBlockCount) return Reply::Refuse(sense::kSequenceError);
    if (!CarriesData(cmd, kBlockSize)) return Reply::Refuse(sense::kParameterLengthError);
    if (blocks_ == 0) BeginDownload(drive);
    image_.insert(image_.end(), cmd.data, cmd.data + kBlockSize);
    ++blocks_;
    return Reply::Good(kBlockSize);
  }

  Reply ReadBufferSelect(const Command& cmd) {
    if (!BytesAreZero(cmd, 1, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (phase_ != Phase::Receiving || blocks_ != kBlockCount) return Reply::Refuse(sense::kSequenceError);
    phase_ = Phase::Selected;
    return Reply::Good();
  }

  Reply EraseAndWrite(const Command& cmd, DriveContext& drive) {
    if (!FlagOnlyCommand(cmd)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (phase_ != Phase::Selected) return Reply::Refuse(sense::kSequenceError);
    std::vector<Byte> image;
    image.swap(image_);
    Reply reply = StageImage(drive, image, ImageLayout::Separated);
    if (reply.status != Status::Good) return reply;
    busyPolls_ = drive.config.busyPolls;
    pollsDone_ = 0;
    phase_ = busyPolls_ > 0 ? Phase::Busy : Phase::Idle;
    return reply;
  }

  // Reads drive memory; the simulation has none to show and answers zeros.
  Reply Read(const Command& cmd) {
    if (cmd.At(1) != 0 || !BytesAreZero(cmd, 5, 6) || !BytesAreZero(cmd, 9, 11))
      return Reply::Refuse(sense::kInvalidFieldInCdb);
    const size_t length = cmd.BigEndian(7, 2);
    if (cmd.direction != Direction::In || cmd.dataLength < length) return Reply::Refuse(sense::kParameterLengthError);
    std::fill(cmd.data, cmd.data + length, 0);
    return Reply::Good(length);
  }

  Phase phase_ = Phase::Idle;
  size_t blocks_ = 0;
  uint32_t busyPolls_ = 0;
  uint32_t pollsDone_ = 0;
  std::vector<Byte> image_;
};

}  // namespace

std::unique_ptr<CommandSet> MakeRicohCommandSet() { return std::make_unique<RicohCommandSet>(); }

}  // namespace drivesim
