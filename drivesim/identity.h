// The drive identity (vendor, product, revision) and the identity blocks that
// firmware images carry, in each image layout.
#pragma once

#include "scsi.h"

#include <string>
#include <vector>

namespace drivesim {

constexpr size_t kVendorWidth = 8;
constexpr size_t kProductWidth = 16;
constexpr size_t kRevisionWidth = 4;
constexpr size_t kSerialWidth = 10;

struct Identity {
  std::string vendor;    // 8 characters, blank-padded
  std::string product;   // 16
  std::string revision;  // 4
};

// Where the three fields sit behind the "VQ      " signature.
enum class ImageLayout {
  BackToBack,        // vendor, product, revision: 28 bytes
  BackToBackDigits,  // the same, and the revision's last two characters are digits
  Separated,         // vendor, 1 separator, product, 1 separator, revision: 30 bytes
};

// The first identity block in the image, joined and split the way the
// update wizard reads it (a zero byte ends a field early; the revision is the
// last four characters of the joined text). False when there is none.
bool FindIdentity(const std::vector<Byte>& image, ImageLayout layout, Identity* out);

std::string PadRight(const std::string& text, size_t width);

}  // namespace drivesim
