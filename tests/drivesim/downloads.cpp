#include "downloads.h"

#include <gtest/gtest.h>

#include <cstring>

namespace testkit {

namespace {

using drivesim::Reply;
using drivesim::Status;

std::vector<Byte> Filler(size_t size, uint32_t seed) {
  std::vector<Byte> data(size);
  for (Byte& b : data) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<Byte>(seed >> 16);
  }
  return data;
}

void Put(std::vector<Byte>* image, size_t at, const std::string& text) {
  std::memcpy(image->data() + at, text.data(), text.size());
}

void PutBackToBack(std::vector<Byte>* image, size_t at, const std::string& product, const std::string& revision) {
  Put(image, at, "VQ      " + product + revision);
}

Step Block(std::vector<Byte> cdb, Direction dir = Direction::Out, std::vector<Byte> data = {}) {
  cdb.resize(12, 0);
  return {cdb, dir, data};
}

Byte Hi(uint32_t v) { return static_cast<Byte>(v >> 8); }
Byte Lo(uint32_t v) { return static_cast<Byte>(v); }

struct NecPage {
  size_t offset, length, summed;
  uint16_t address;
  uint32_t units;
};

std::vector<NecPage> NecPages() {
  std::vector<NecPage> pages = {{0x00000, 0x1000, 0x1000, 0x0050, 1},
                                {0x01000, 0x1000, 0x1000, 0x0060, 1},
                                {0x02000, 0x1000, 0x1000, 0x0070, 1}};
  for (size_t p = 3; p <= 17; ++p) {
    const uint16_t address = static_cast<uint16_t>(p == 3 ? 0x0080 : p == 4 ? 0x0100 : 0x0180 + (p - 5) * 0x80);
    pages.push_back({0x03000 + (p - 3) * 0x8000, 0x8000, p == 17 ? 0x7FFEu : 0x8000u, address, 8});
  }
  pages.push_back({0x7B004, 0x2000, 0x2000, 0x2400, 2});
  pages.push_back({0x7D004, 0x1000, 0x1000, 0x2420, 1});
  pages.push_back({0x7E004, 0x1000, 0x1000, 0x2430, 1});
  pages.push_back({0x7F004, 0x4000, 0x4000, 0x2440, 4});
  pages.push_back({0x83004, 0x8000, 0x8000, 0x2480, 8});
  pages.push_back({0x8B004, 0x8000, 0x8000, 0x2500, 8});
  pages.push_back({0x93004, 0x8000, 0x7FFE, 0x2580, 8});
  return pages;
}

void AppendNecRegion(const std::vector<Byte>& file, bool region1, Sequence* seq) {
  const Byte bit = region1 ? 0x00 : 0x10;
  const std::vector<NecPage> pages = NecPages();
  const size_t first = region1 ? 0 : 18, last = region1 ? 17 : 24;
  seq->push_back(Block({0xCC, Byte(0x01 | bit), 0x01, 0x00, 0x4B, 0x31, 0x31, 0x30}));
  uint16_t sum = 0;
  for (size_t i = first; i <= last; ++i) {
    const NecPage& p = pages[i];
    std::vector<Byte> data(file.begin() + p.offset, file.begin() + p.offset + p.length);
    for (size_t k = 0; k + 1 < p.summed; k += 2) sum = static_cast<uint16_t>(sum + (data[k] << 8 | data[k + 1]));
    seq->push_back(Block({0xCB, Byte(0x01 | bit), 0x00, Hi(p.address), Lo(p.address), Byte(p.units >> 24),
                          Byte(p.units >> 16), Byte(p.units >> 8), Byte(p.units)},
                         Direction::Out, data));
  }
  seq->push_back(Block({0xCC, Byte(0x04 | bit), Hi(sum), Lo(sum)}));
  const std::vector<uint16_t> region1Blocks = {0x2000, 0x4000, 0x8000, 0x0001, 0x0002, 0x0004,
                                               0x0008, 0x0010, 0x0020, 0x0040, 0x0080};
  const std::vector<uint16_t> region2Blocks = {0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000};
  if (region1) {
    for (uint16_t m : region1Blocks) seq->push_back(Block({0xCB, 0x04, 0, 0, 0, 0, 0, Hi(m), Lo(m)}));
    for (uint16_t m : region1Blocks) seq->push_back(Block({0xCB, 0x02, 0, 0, 0, 0, 0, Hi(m), Lo(m)}));
  } else {
    seq->push_back(Block({0xCB, 0x18}));
    for (uint16_t m : region2Blocks) seq->push_back(Block({0xCB, 0x12, 0, 0, 0, 0, 0, Hi(m), Lo(m)}));
  }
  seq->push_back(Block({0xCC, Byte(0x01 | bit), 0x00, 0x00, 0x4B, 0x31, 0x31, 0x30}));
}

}  // namespace

std::vector<Byte> NecImageFile(const std::string& product, const std::string& revision) {
  std::vector<Byte> image = Filler(0x9B004, 62);
  PutBackToBack(&image, 0x1234, product, revision);
  return image;
}

std::vector<Byte> CvtImageFile(const std::string& product, const std::string& revision) {
  std::vector<Byte> image = Filler(36 + 128 * 16384, 65);
  PutBackToBack(&image, 36 + 3 * 16384 + 100, product, revision);
  return image;
}

std::vector<Byte> RicohImageFile(const std::string& product, const std::string& revision) {
  std::vector<Byte> image = Filler(1 << 20, 61);
  Put(&image, 0x2050, "VQ      " + std::string(1, '\0') + product + std::string(1, '-') + revision);
  return image;
}

Sequence TarnSequence(const std::vector<Byte>& necFile) {
  Sequence seq;
  AppendNecRegion(necFile, true, &seq);
  AppendNecRegion(necFile, false, &seq);
  return seq;
}

Sequence PhilipsSequence(const std::vector<Byte>& cvtFile, bool withPrepare) {
  uint16_t byteSum = 0, rotatingSum = 0;
  for (size_t i = 36; i < 36 + 128 * 16384; ++i) {
    byteSum = static_cast<uint16_t>(byteSum + cvtFile[i]);
    rotatingSum = static_cast<uint16_t>((rotatingSum >> 1) | (rotatingSum << 15));
    rotatingSum = static_cast<uint16_t>(rotatingSum + cvtFile[i]);
  }
  Sequence seq;
  seq.push_back(Block({0x1E, 0, 0, 0, 0x00, 0}));
  seq.back().cdb.resize(6);
  seq.push_back(Block({0x1B, 0, 0, 0, 0x02, 0}));
  if (withPrepare) seq.push_back(Block({0xFD, 0xF1, 0x42, 0x45, 0x4E, 0x51}, Direction::In));
  for (size_t p = 0; p < 128; ++p) {
    std::vector<Byte> page(cvtFile.begin() + 36 + p * 16384, cvtFile.begin() + 36 + (p + 1) * 16384);
    seq.push_back(Block({0xFA, Hi(byteSum), Lo(byteSum), Hi(rotatingSum), Lo(rotatingSum), Byte(p), 0x01, Hi(byteSum),
                         Lo(byteSum), Hi(rotatingSum), Lo(rotatingSum), 0x00},
                        Direction::Out, page));
  }
  return seq;
}

Sequence FennSequence(const std::vector<Byte>& ricohFile) {
  Sequence seq;
  seq.push_back(Block({0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x40}));
  for (size_t p = 0; p < 128; ++p) {
    std::vector<Byte> page(ricohFile.begin() + p * 8192, ricohFile.begin() + (p + 1) * 8192);
    seq.push_back(Block({0xE2, 0, 0, 0, 0, 0x00, 0x20, 0x00}, Direction::Out, page));
  }
  seq.push_back(Block({0xE0}));
  seq.push_back(Block({0xE1, 0, 0, 0, 0, 0, 0, 0, 0, 0x40}));
  return seq;
}

size_t FindStep(const Sequence& seq, std::vector<Byte> prefix, size_t nth) {
  for (size_t i = 0; i < seq.size(); ++i) {
    if (seq[i].cdb.size() < prefix.size() || !std::equal(prefix.begin(), prefix.end(), seq[i].cdb.begin())) continue;
    if (--nth == 0) return i;
  }
  return seq.size();
}

Reply Send(drivesim::SimDevice& device, const Step& step) {
  std::vector<Byte> data = step.data;
  drivesim::Command cmd{step.cdb.data(), step.cdb.size(), step.direction, data.empty() ? nullptr : data.data(),
                        data.size()};
  return device.Execute(cmd);
}

RunResult RunSequence(drivesim::SimDevice& device, const Sequence& seq) {
  for (size_t i = 0; i < seq.size(); ++i) {
    Reply reply = Send(device, seq[i]);
    if (reply.status != Status::Good) return {i, reply};
  }
  return {seq.size(), Reply::Good()};
}

std::string InquiryRevision(drivesim::SimDevice& device) {
  std::vector<Byte> data(56);
  Step inquiry{{0x12, 0, 0, 0, 56, 0}, Direction::In, data};
  drivesim::Command cmd{inquiry.cdb.data(), 6, Direction::In, data.data(), data.size()};
  if (device.Execute(cmd).status != Status::Good) return "<no answer>";
  return std::string(data.begin() + 32, data.begin() + 36);
}

void ExpectRefusals(const drivesim::DeviceConfig& config, const Sequence& correct,
                    const std::vector<WrongSequence>& cases) {
  for (const WrongSequence& c : cases) {
    SCOPED_TRACE(c.name);
    drivesim::SimDevice drive(config);
    Sequence seq = correct;
    const size_t refused = c.spoil(seq);
    RunResult r = RunSequence(drive, seq);
    EXPECT_EQ(r.failedStep, refused);
    EXPECT_EQ(r.reply.status, Status::CheckCondition);
    EXPECT_EQ(drivesim::FormatSense(r.reply.sense), drivesim::FormatSense(c.sense));
    EXPECT_NE(drive.State().download, drivesim::Download::Staged);
    drive.PowerCycle();
    EXPECT_EQ(InquiryRevision(drive), config.revision);
  }
}

}  // namespace testkit
