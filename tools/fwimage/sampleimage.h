// Well-formed sample images of the three formats, with deterministic
// pseudo-random content, for tests, support and the demo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"

enum class ImageFormat { cvt, nec, ricoh };

struct SampleImage {
  ImageFormat format = ImageFormat::cvt;
  // Blank-padded to 8, 16 and 4 characters.
  std::string vendor = "VQ";
  std::string product;
  std::string revision;
  uint64_t seed = 1;
  // 0: the format's complete length.
  uint64_t size = 0;
  // File offset of the identity block; -1: the format's default place.
  int64_t identityAt = -1;
};

// The bytes of the image; FALSE with a reason when it cannot be laid out.
BOOL BuildSampleImage(const SampleImage& sample, std::vector<BYTE>& image, std::string& error);

// The identity block in the format's layout (28 bytes; 30 for Ricoh).
std::vector<BYTE> IdentityBlock(ImageFormat format, const std::string& vendor, const std::string& product,
                                const std::string& revision);

// Shortest file that holds every page of the format.
uint64_t CompleteImageLength(ImageFormat format);

// Deterministic bytes for a seed: the same seed gives the same bytes everywhere.
void FillPseudoRandom(BYTE* data, size_t length, uint64_t seed);

BOOL ParseImageFormat(const std::string& name, ImageFormat& format);
