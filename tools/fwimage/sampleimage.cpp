#include "sampleimage.h"

#include <cstring>

namespace {

const size_t kVendorWidth = 8;
const size_t kProductWidth = 16;
const size_t kRevisionWidth = 4;
const char kRicohSeparator = ' ';
// The default block sits a little way into the first page.
const uint64_t kDefaultIdentityInPage = 0x100;
const uint64_t kCvtHeaderLength = 36;
// Far beyond every format; keeps a mistyped size from eating the memory.
const uint64_t kLargestSample = 64ull << 20;

std::string Padded(const std::string& text, size_t width) {
  std::string padded = text.substr(0, width);
  padded.resize(width, ' ');
  return padded;
}

BOOL IsDigit(char c) { return c >= '0' && c <= '9'; }

BOOL CheckFields(const SampleImage& sample, std::string& error) {
  if (sample.vendor.size() > kVendorWidth || sample.product.size() > kProductWidth ||
      sample.revision.size() > kRevisionWidth) {
    error = "vendor, product or revision longer than 8, 16 or 4 characters";
    return FALSE;
  }
  std::string revision = Padded(sample.revision, kRevisionWidth);
  if (sample.format == ImageFormat::cvt && !(IsDigit(revision[2]) && IsDigit(revision[3]))) {
    error = "a CVT revision ends in two digits";
    return FALSE;
  }
  return TRUE;
}

}  // namespace

uint64_t CompleteImageLength(ImageFormat format) {
  switch (format) {
    case ImageFormat::cvt: return kCvtHeaderLength + 128 * 16384;
    case ImageFormat::nec: return 0x9B004;
    case ImageFormat::ricoh: return 128 * 8192;
  }
  return 0;
}

void FillPseudoRandom(BYTE* data, size_t length, uint64_t seed) {
  // splitmix64
  uint64_t state = seed;
  for (size_t i = 0; i < length; i += 8) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    for (size_t b = 0; b < 8 && i + b < length; ++b) data[i + b] = static_cast<BYTE>(z >> (8 * b));
  }
}

std::vector<BYTE> IdentityBlock(ImageFormat format, const std::string& vendor, const std::string& product,
                                const std::string& revision) {
  std::string block = Padded(vendor, kVendorWidth);
  if (format == ImageFormat::ricoh) block += kRicohSeparator;
  block += Padded(product, kProductWidth);
  if (format == ImageFormat::ricoh) block += kRicohSeparator;
  block += Padded(revision, kRevisionWidth);
  return std::vector<BYTE>(block.begin(), block.end());
}

BOOL BuildSampleImage(const SampleImage& sample, std::vector<BYTE>& image, std::string& error) {
  if (!CheckFields(sample, error)) return FALSE;
  uint64_t size = sample.size ? sample.size : CompleteImageLength(sample.format);
  uint64_t at = sample.identityAt >= 0 ? static_cast<uint64_t>(sample.identityAt)
                                       : (sample.format == ImageFormat::cvt ? kCvtHeaderLength : 0) +
                                             kDefaultIdentityInPage;
  if (size > kLargestSample) {
    error = "sample images are at most 64 MiB";
    return FALSE;
  }
  std::vector<BYTE> block = IdentityBlock(sample.format, sample.vendor, sample.product, sample.revision);
  if (at > size || size - at < block.size()) {
    error = "the identity block does not fit in the image";
    return FALSE;
  }
  image.assign(static_cast<size_t>(size), 0);
  FillPseudoRandom(image.data(), image.size(), sample.seed);
  std::memcpy(image.data() + at, block.data(), block.size());
  return TRUE;
}

BOOL ParseImageFormat(const std::string& name, ImageFormat& format) {
  if (name == "cvt") format = ImageFormat::cvt;
  else if (name == "nec") format = ImageFormat::nec;
  else if (name == "ricoh") format = ImageFormat::ricoh;
  else return FALSE;
  return TRUE;
}
