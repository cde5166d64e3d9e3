// A mechanism maker's vendor download command set, seen from the drive: the
// commands it knows, the order it expects them in, and what it checks.
#pragma once

#include "device.h"
#include "scsi.h"

#include <memory>
#include <vector>

namespace drivesim {

class CommandSet {
 public:
  virtual ~CommandSet() = default;

  virtual bool Knows(Byte opcode) const = 0;
  virtual Reply Execute(const Command& cmd, DriveContext& drive) = 0;

  // A START STOP UNIT eject was carried out.
  virtual void NoteEject() {}
  // While busy the drive answers every command but INQUIRY and REQUEST
  // SENSE with this sense; a TEST UNIT READY counts as one poll.
  virtual bool IsBusy(Sense* busySense) const {
    (void)busySense;
    return false;
  }
  virtual void NotePoll() {}
  // Forgets a download in progress (refusal, power cycle).
  virtual void Abort() = 0;
};

std::unique_ptr<CommandSet> MakeNecCommandSet();
std::unique_ptr<CommandSet> MakePhilipsCommandSet(bool needsPrepare);
std::unique_ptr<CommandSet> MakeRicohCommandSet();

// Checks shared by the command sets.
bool BytesAreZero(const Command& cmd, size_t first, size_t last);
// Exactly `length` bytes come from the host (none for a command without data).
bool CarriesData(const Command& cmd, size_t length);

// The first data of a new image reaches the drive: a staged image is gone,
// and the running firmware is at risk until the image is complete.
void BeginDownload(DriveContext& drive);
// A complete image whose checks passed: staged if it carries the identity
// of this very drive model, refused otherwise.
Reply StageImage(DriveContext& drive, const std::vector<Byte>& image, ImageLayout layout);

}  // namespace drivesim
