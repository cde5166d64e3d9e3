// What crosses the simulated bus: command blocks, directions, statuses and
// sense data, in the terms a SCSI/ATAPI drive uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace drivesim {

typedef uint8_t Byte;

enum class Direction { None = 0, In = 1, Out = 2 };

enum class Status {
  Good,            // command completed
  CheckCondition,  // refused; the sense says why
  NoAnswer,        // the drive did not answer (host time-out)
  HostFailure,     // the transfer could not be carried out on the host side
};

struct Sense {
  Byte key;
  Byte asc;
  Byte ascq;
  bool operator==(const Sense& o) const { return key == o.key && asc == o.asc && ascq == o.ascq; }
  bool operator!=(const Sense& o) const { return !(*this == o); }
};

// The senses the simulated drives answer with.
namespace sense {
constexpr Sense kNone{0x0, 0x00, 0x00};
constexpr Sense kNoMedium{0x2, 0x3A, 0x00};
constexpr Sense kBecomingReady{0x2, 0x04, 0x01};
constexpr Sense kIncompatibleMedium{0x2, 0x30, 0x00};
constexpr Sense kMediumChanged{0x6, 0x28, 0x00};
constexpr Sense kBusyErasing{0x2, 0xF7, 0x00};
constexpr Sense kBusyWriting{0x2, 0xF7, 0x01};
constexpr Sense kInvalidOpcode{0x5, 0x20, 0x00};
constexpr Sense kAddressOutOfRange{0x5, 0x21, 0x00};
constexpr Sense kInvalidFieldInCdb{0x5, 0x24, 0x00};
constexpr Sense kParameterLengthError{0x5, 0x1A, 0x00};
constexpr Sense kInvalidFieldInData{0x5, 0x26, 0x00};
constexpr Sense kChecksumMismatch{0x5, 0x26, 0x02};  // parameter value invalid
constexpr Sense kSequenceError{0x5, 0x2C, 0x00};
constexpr Sense kRemovalPrevented{0x5, 0x53, 0x02};
}  // namespace sense

// One command as the drive receives it. The data buffer is the host's.
struct Command {
  const Byte* cdb;
  size_t cdbLength;
  Direction direction;
  Byte* data;
  size_t dataLength;

  Byte Op() const { return cdb[0]; }
  Byte At(size_t i) const { return i < cdbLength ? cdb[i] : 0; }
  uint32_t BigEndian(size_t first, size_t count) const {
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) v = v << 8 | At(first + i);
    return v;
  }
};

struct Reply {
  Status status;
  Sense sense;
  size_t transferred;

  static Reply Good(size_t transferred = 0) { return {Status::Good, sense::kNone, transferred}; }
  static Reply Refuse(Sense s) { return {Status::CheckCondition, s, 0}; }
};

std::string FormatSense(const Sense& s);  // "5/24/00"
bool ParseSense(const std::string& text, Sense* out);

}  // namespace drivesim
