// Firmware images and the command sequences the update wizard sends for them,
// built the way the wizard builds them, for driving the simulated drives.
#pragma once

#include "device.h"

#include <functional>
#include <string>
#include <vector>

namespace testkit {

using drivesim::Byte;
using drivesim::Direction;

struct Step {
  std::vector<Byte> cdb;
  Direction direction;
  std::vector<Byte> data;
};
using Sequence = std::vector<Step>;

// Image files with an identity block for `product` (16 characters) and
// `revision` (4) somewhere inside, the rest pseudo-random.
std::vector<Byte> NecImageFile(const std::string& product, const std::string& revision);
std::vector<Byte> CvtImageFile(const std::string& product, const std::string& revision);
std::vector<Byte> RicohImageFile(const std::string& product, const std::string& revision);

// The vendor command sequences of the four drive families.
Sequence TarnSequence(const std::vector<Byte>& necFile);
Sequence PhilipsSequence(const std::vector<Byte>& cvtFile, bool withPrepare);
Sequence FennSequence(const std::vector<Byte>& ricohFile);

// Index of the first step in `seq` whose block starts with these bytes.
size_t FindStep(const Sequence& seq, std::vector<Byte> prefix, size_t nth = 1);

struct RunResult {
  size_t failedStep;  // seq.size() when every step completed
  drivesim::Reply reply;
};
RunResult RunSequence(drivesim::SimDevice& device, const Sequence& seq);
drivesim::Reply Send(drivesim::SimDevice& device, const Step& step);

std::string InquiryRevision(drivesim::SimDevice& device);

// A correct sequence spoilt in one place: `spoil` changes it and returns the
// index of the step the drive must refuse, with `sense`.
struct WrongSequence {
  const char* name;
  std::function<size_t(Sequence&)> spoil;
  drivesim::Sense sense;
};

// Runs every case on a fresh drive: the spoilt step is refused with the
// case's sense, the steps before it complete, and after a power cycle the
// drive still runs its old firmware.
void ExpectRefusals(const drivesim::DeviceConfig& config, const Sequence& correct,
                    const std::vector<WrongSequence>& cases);

}  // namespace testkit
