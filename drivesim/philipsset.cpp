// Philips mechanism download command set, drive side: after an eject (and,
// on the models that need it, the FD preparation) pages 0 to 127 of 16 384
// bytes come with FA, each carrying the image's byte sum and BSD rotating
// sum twice. After page 127 the drive compares both sums with what it
// received and stages the image.
#include "commandset.h"

#include <algorithm>

namespace drivesim {

namespace {

constexpr Byte kPrepareDownload = 0xFD;
constexpr Byte kWriteBuffer = 0xFA;
constexpr Byte kPrepareKey[5] = {0xF1, 0x42, 0x45, 0x4E, 0x51};
constexpr size_t kPageSize = 16384;
constexpr size_t kPageCount = 128;

struct Sums {
  uint16_t byteSum = 0;
  uint16_t rotatingSum = 0;
};

Sums SumOf(const std::vector<Byte>& data) {
  Sums s;
  for (Byte b : data) {
    s.byteSum = static_cast<uint16_t>(s.byteSum + b);
    s.rotatingSum = static_cast<uint16_t>((s.rotatingSum >> 1) | (s.rotatingSum << 15));
    s.rotatingSum = static_cast<uint16_t>(s.rotatingSum + b);
  }
  return s;
}

class PhilipsCommandSet : public CommandSet {
 public:
  explicit PhilipsCommandSet(bool needsPrepare) : needsPrepare_(needsPrepare) {}

  bool Knows(Byte opcode) const override {
    return opcode == kWriteBuffer || (needsPrepare_ && opcode == kPrepareDownload);
  }

  Reply Execute(const Command& cmd, DriveContext& drive) override {
    Reply reply = cmd.Op() == kPrepareDownload ? PrepareDownload(cmd) : WriteBuffer(cmd, drive);
    if (reply.status != Status::Good) Abort();
    return reply;
  }

  void NoteEject() override {
    Abort();
    ejected_ = true;
  }

  void Abort() override {
    ejected_ = false;
    prepared_ = false;
    nextPage_ = 0;
    image_.clear();
  }

 private:
  bool ReadyForPages() const { return ejected_ && (prepared_ || !needsPrepare_); }

  Reply PrepareDownload(const Command& cmd) {
    if (!std::equal(kPrepareKey, kPrepareKey + 5, cmd.cdb + 1) || !BytesAreZero(cmd, 6, 11))
      return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (cmd.dataLength != 0) return Reply::Refuse(sense::kParameterLengthError);
    if (!ejected_ || prepared_ || nextPage_ != 0) return Reply::Refuse(sense::kSequenceError);
    prepared_ = true;
    return Reply::Good();
  }

  // Bytes 7 to 10 repeat the two sums of bytes 1 to 4.
  static bool WellFormed(const Command& cmd) {
    for (size_t i = 1; i <= 4; ++i)
      if (cmd.At(i) != cmd.At(i + 6)) return false;
    return cmd.At(6) == 0x01 && cmd.At(11) == 0x00;
  }

  Reply WriteBuffer(const Command& cmd, DriveContext& drive) {
    if (!WellFormed(cmd)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    const size_t page = cmd.At(5);
    if (page >= kPageCount) return Reply::Refuse(sense::kAddressOutOfRange);
    if (!ReadyForPages() || page != nextPage_) return Reply::Refuse(sense::kSequenceError);
    const Sums announced{static_cast<uint16_t>(cmd.BigEndian(1, 2)), static_cast<uint16_t>(cmd.BigEndian(3, 2))};
    if (page > 0 && (announced.byteSum != announced_.byteSum || announced.rotatingSum != announced_.rotatingSum))
      return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, kPageSize)) return Reply::Refuse(sense::kParameterLengthError);

    if (page == 0) {
      BeginDownload(drive);
      announced_ = announced;
      image_.reserve(kPageSize * kPageCount);
    }
    image_.insert(image_.end(), cmd.data, cmd.data + kPageSize);
    if (++nextPage_ < kPageCount) return Reply::Good(kPageSize);
    return FinishImage(drive);
  }

  Reply FinishImage(DriveContext& drive) {
    const Sums received = SumOf(image_);
    std::vector<Byte> image;
    image.swap(image_);
    Abort();
    if (received.byteSum != announced_.byteSum || received.rotatingSum != announced_.rotatingSum)
      return Reply::Refuse(sense::kChecksumMismatch);
    Reply reply = StageImage(drive, image, ImageLayout::BackToBackDigits);
    if (reply.status == Status::Good) reply.transferred = kPageSize;
    return reply;
  }

  const bool needsPrepare_;
  bool ejected_ = false;
  bool prepared_ = false;
  size_t nextPage_ = 0;
  Sums announced_;
  std::vector<Byte> image_;
};

}  // namespace

std::unique_ptr<CommandSet> MakePhilipsCommandSet(bool needsPrepare) {
  return std::make_unique<PhilipsCommandSet>(needsPrepare);
}

}  // namespace drivesim
