// NEC mechanism download command set (CC/CB), drive side: per flash region,
// download mode on, the region's pages at their device addresses, the
// region's checksum, erase and program of its blocks, download mode off.
// Region 1 comes first; the image is staged when region 2 is switched off.
#include "commandset.h"

#include <algorithm>

namespace drivesim {

namespace {

constexpr Byte kModeChange = 0xCC;    // also SendChecksum
constexpr Byte kBlockCommand = 0xCB;  // SendData, EraseBlock, WriteDatatoRom
constexpr Byte kRegion2Bit = 0x10;
constexpr Byte kSendData = 0x01;
constexpr Byte kSendChecksum = 0x04;
constexpr Byte kEraseRegion1 = 0x04;
constexpr Byte kEraseRegion2 = 0x18;
constexpr Byte kWriteDatatoRom = 0x02;
constexpr Byte kModeKey[4] = {0x4B, 0x31, 0x31, 0x30};  // "K110"
constexpr size_t kAddressUnit = 256;
constexpr size_t kLengthUnit = 4096;

struct NecPage {
  uint16_t address;  // 256-byte units
  uint32_t units;    // 4096-byte units
};

struct NecRegion {
  uint32_t base;  // bytes
  uint32_t size;
  std::vector<NecPage> pages;
  std::vector<uint16_t> blocks;  // program order; region 1 also erase order
};

const NecRegion& Region(int number) {
  static const NecRegion region1 = [] {
    NecRegion r{0x5000, 0x7B000, {{0x0050, 1}, {0x0060, 1}, {0x0070, 1}, {0x0080, 8}, {0x0100, 8}}, {}};
    for (uint16_t a = 0x0180; a <= 0x0780; a += 0x80) r.pages.push_back({a, 8});
    r.blocks = {0x2000, 0x4000, 0x8000, 0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080};
    return r;
  }();
  static const NecRegion region2{0x240000, 0x20000,
                                 {{0x2400, 2}, {0x2420, 1}, {0x2430, 1}, {0x2440, 4}, {0x2480, 8}, {0x2500, 8}, {0x2580, 8}},
                                 {0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000}};
  return number == 1 ? region1 : region2;
}

// The checksum covers the region's big-endian words but its last one.
uint16_t RegionSum(const std::vector<Byte>& data) {
  const size_t summed = data.size() - 2;
  uint16_t sum = 0;
  for (size_t i = 0; i + 1 < summed; i += 2) sum = static_cast<uint16_t>(sum + (data[i] << 8 | data[i + 1]));
  return sum;
}

enum class Phase { Receiving, AwaitChecksum, Erasing, Writing, Programmed };

class NecCommandSet : public CommandSet {
 public:
  bool Knows(Byte opcode) const override { return opcode == kModeChange || opcode == kBlockCommand; }

  Reply Execute(const Command& cmd, DriveContext& drive) override {
    Reply reply = Dispatch(cmd, drive);
    if (reply.status != Status::Good) Abort();
    return reply;
  }

  void Abort() override {
    region_ = 0;
    nextRegion_ = 1;
    regionData_[0].clear();
    regionData_[1].clear();
  }

 private:
  Reply Dispatch(const Command& cmd, DriveContext& drive) {
    const Byte function = cmd.At(1) & ~kRegion2Bit;
    const int region = (cmd.At(1) & kRegion2Bit) ? 2 : 1;
    if (cmd.Op() == kModeChange) {
      if (function == 0x01) return ModeChange(cmd, region, drive);
      if (function == kSendChecksum) return SendChecksum(cmd, region);
      return Reply::Refuse(sense::kInvalidFieldInCdb);
    }
    if (cmd.At(1) == kEraseRegion2) return EraseRegion2(cmd);
    if (function == kSendData) return SendData(cmd, region, drive);
    if (cmd.At(1) == kEraseRegion1) return EraseRegion1Block(cmd);
    if (function == kWriteDatatoRom) return WriteBlock(cmd, region);
    return Reply::Refuse(sense::kInvalidFieldInCdb);
  }

  bool InMode(int region) const { return region_ == region; }
  std::vector<Byte>& Data(int region) { return regionData_[region - 1]; }

  Reply ModeChange(const Command& cmd, int region, DriveContext& drive) {
    const bool begin = cmd.At(2) == 0x01;
    if ((cmd.At(2) != 0x00 && !begin) || cmd.At(3) != 0 || !std::equal(kModeKey, kModeKey + 4, cmd.cdb + 4) ||
        !BytesAreZero(cmd, 8, 11))
      return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    return begin ? BeginMode(region) : EndMode(region, drive);
  }

  Reply BeginMode(int region) {
    if (region_ != 0 || region != nextRegion_) return Reply::Refuse(sense::kSequenceError);
    region_ = region;
    phase_ = Phase::Receiving;
    nextPage_ = 0;
    Data(region).assign(Region(region).size, 0);
    return Reply::Good();
  }

  Reply EndMode(int region, DriveContext& drive) {
    if (!InMode(region) || phase_ != Phase::Programmed) return Reply::Refuse(sense::kSequenceError);
    region_ = 0;
    if (region == 1) {
      nextRegion_ = 2;
      return Reply::Good();
    }
    std::vector<Byte> image = Data(1);
    image.insert(image.end(), Data(2).begin(), Data(2).end());
    Abort();
    return StageImage(drive, image, ImageLayout::BackToBack);
  }

  Reply SendData(const Command& cmd, int region, DriveContext& drive) {
    if (cmd.At(2) != 0 || !BytesAreZero(cmd, 9, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!InMode(region) || phase_ != Phase::Receiving) return Reply::Refuse(sense::kSequenceError);
    const NecRegion& r = Region(region);
    const uint16_t address = static_cast<uint16_t>(cmd.BigEndian(3, 2));
    auto page = std::find_if(r.pages.begin(), r.pages.end(), [&](const NecPage& p) { return p.address == address; });
    if (page == r.pages.end()) return Reply::Refuse(sense::kAddressOutOfRange);
    if (static_cast<size_t>(page - r.pages.begin()) != nextPage_) return Reply::Refuse(sense::kSequenceError);
    if (cmd.BigEndian(5, 4) != page->units) return Reply::Refuse(sense::kInvalidFieldInCdb);
    const size_t length = page->units * kLengthUnit;
    if (!CarriesData(cmd, length)) return Reply::Refuse(sense::kParameterLengthError);

    if (region == 1 && nextPage_ == 0) BeginDownload(drive);
    std::copy(cmd.data, cmd.data + length, Data(region).begin() + (address * kAddressUnit - r.base));
    if (++nextPage_ == r.pages.size()) phase_ = Phase::AwaitChecksum;
    return Reply::Good(length);
  }

  Reply SendChecksum(const Command& cmd, int region) {
    if (!BytesAreZero(cmd, 4, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (!InMode(region) || phase_ != Phase::AwaitChecksum) return Reply::Refuse(sense::kSequenceError);
    if (cmd.BigEndian(2, 2) != RegionSum(Data(region))) return Reply::Refuse(sense::kChecksumMismatch);
    phase_ = Phase::Erasing;
    nextBlock_ = 0;
    return Reply::Good();
  }

  // The block mask must be the next one of the region's list.
  Reply CheckNextBlock(const Command& cmd, int region) {
    const std::vector<uint16_t>& blocks = Region(region).blocks;
    const uint16_t mask = static_cast<uint16_t>(cmd.BigEndian(7, 2));
    if (std::find(blocks.begin(), blocks.end(), mask) == blocks.end()) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (blocks[nextBlock_] != mask) return Reply::Refuse(sense::kSequenceError);
    return Reply::Good();
  }

  Reply EraseRegion1Block(const Command& cmd) {
    if (!BytesAreZero(cmd, 2, 6) || !BytesAreZero(cmd, 9, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (!InMode(1) || phase_ != Phase::Erasing) return Reply::Refuse(sense::kSequenceError);
    Reply reply = CheckNextBlock(cmd, 1);
    if (reply.status != Status::Good) return reply;
    if (++nextBlock_ == Region(1).blocks.size()) StartWriting();
    return reply;
  }

  // Region 2 is erased as a whole; the command carries no mask.
  Reply EraseRegion2(const Command& cmd) {
    if (!BytesAreZero(cmd, 2, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (!InMode(2) || phase_ != Phase::Erasing) return Reply::Refuse(sense::kSequenceError);
    StartWriting();
    return Reply::Good();
  }

  void StartWriting() {
    phase_ = Phase::Writing;
    nextBlock_ = 0;
  }

  Reply WriteBlock(const Command& cmd, int region) {
    if (!BytesAreZero(cmd, 2, 6) || !BytesAreZero(cmd, 9, 11)) return Reply::Refuse(sense::kInvalidFieldInCdb);
    if (!CarriesData(cmd, 0)) return Reply::Refuse(sense::kParameterLengthError);
    if (!InMode(region) || phase_ != Phase::Writing) return Reply::Refuse(sense::kSequenceError);
    Reply reply = CheckNextBlock(cmd, region);
    if (reply.status != Status::Good) return reply;
    if (++nextBlock_ == Region(region).blocks.size()) phase_ = Phase::Programmed;
    return reply;
  }

  int region_ = 0;  // region in download mode, 0 for none
  int nextRegion_ = 1;
  Phase phase_ = Phase::Receiving;
  size_t nextPage_ = 0;
  size_t nextBlock_ = 0;
  std::vector<Byte> regionData_[2];
};

}  // namespace

std::unique_ptr<CommandSet> MakeNecCommandSet() { return std::make_unique<NecCommandSet>(); }

}  // namespace drivesim
