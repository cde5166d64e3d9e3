#include "identity.h"

#include <cstring>

namespace drivesim {

namespace {

const char kSignature[] = "VQ      ";

struct Field {
  size_t offset;
  size_t width;
};

struct LayoutFields {
  Field vendor, product, revision;
  size_t blockLength;
};

LayoutFields FieldsOf(ImageLayout layout) {
  if (layout == ImageLayout::Separated) return {{0, 8}, {9, 16}, {26, 4}, 30};
  return {{0, 8}, {8, 16}, {24, 4}, 28};
}

bool IsDigit(Byte b) { return b >= '0' && b <= '9'; }

void AppendField(const Byte* block, Field f, std::string* joined) {
  for (size_t i = 0; i < f.width && block[f.offset + i] != 0; ++i) joined->push_back(static_cast<char>(block[f.offset + i]));
}

bool Qualifies(const Byte* block, ImageLayout layout) {
  if (std::memcmp(block, kSignature, kVendorWidth) != 0) return false;
  return layout != ImageLayout::BackToBackDigits || (IsDigit(block[26]) && IsDigit(block[27]));
}

}  // namespace

std::string PadRight(const std::string& text, size_t width) {
  std::string padded = text.substr(0, width);
  padded.resize(width, ' ');
  return padded;
}

bool FindIdentity(const std::vector<Byte>& image, ImageLayout layout, Identity* out) {
  const LayoutFields fields = FieldsOf(layout);
  if (image.size() < fields.blockLength) return false;
  for (size_t pos = 0; pos + fields.blockLength <= image.size(); ++pos) {
    const Byte* block = image.data() + pos;
    if (!Qualifies(block, layout)) continue;
    std::string joined;
    AppendField(block, fields.vendor, &joined);
    AppendField(block, fields.product, &joined);
    AppendField(block, fields.revision, &joined);
    out->vendor = joined.substr(0, kVendorWidth);
    out->product = joined.size() > kVendorWidth ? joined.substr(kVendorWidth, kProductWidth) : std::string();
    out->revision = joined.size() >= kRevisionWidth ? joined.substr(joined.size() - kRevisionWidth) : joined;
    return true;
  }
  return false;
}

}  // namespace drivesim
