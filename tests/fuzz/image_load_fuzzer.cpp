// Loads an image through the factory, as the wizard does, from a file the
// input describes: a 4-byte little-endian length (taken modulo
// FUZZ_MAX_LENGTH + 1) and a pattern that fills the file, repeated. The
// repetition puts blocks on every page, near page ends and across them,
// with few input bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "NECBinFile.h"
#include "RicohBinFile.h"
#include "cvtfile.h"
#include "firmwarefactory.h"
#include "logfile.h"

namespace {

std::string g_path;

void WriteFileFrom(const uint8_t* data, size_t size) {
  uint32_t length = 0;
  for (size_t i = 0; i < 4 && i < size; ++i) length |= static_cast<uint32_t>(data[i]) << (8 * i);
  length %= FUZZ_MAX_LENGTH + 1;
  const uint8_t* pattern = size > 4 ? data + 4 : nullptr;
  size_t patternLength = size > 4 ? size - 4 : 0;
  static std::vector<uint8_t> file;
  file.assign(length, 0);
  if (patternLength && length) {
    // The pattern once, then doubling copies: a byte loop over 2 MiB would
    // cost more than the load under test.
    size_t filled = patternLength < length ? patternLength : length;
    std::memcpy(file.data(), pattern, filled);
    for (; filled < length; filled *= 2) std::memcpy(file.data() + filled, file.data(), std::min(filled, length - filled));
  }
  std::FILE* out = std::fopen(g_path.c_str(), "wb");
  if (!out) __builtin_trap();
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
}

template <typename Image>
void ReadEveryPage(Image* image, DWORD pageCount, DWORD pageSize) {
  std::vector<BYTE> buffer(pageSize);
  for (DWORD page = 0; page <= pageCount; ++page) image->ReadPage(page, buffer.data());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_path = "/tmp/image_load_fuzzer_" + std::to_string(getpid()) + "." FUZZ_EXTENSION;
  // Open, so that the image's messages are formatted and written.
  static CLogFile log;
  log.Open("/dev/null", TRUE, FALSE);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteFileFrom(data, size);
  CFirmwareFileFactory factory;
  CFirmwareFile* image = factory.Open(g_path);
  if (!image) __builtin_trap();
  CInquiryString drive;
  drive.Set("VQ      CDRW 8432       1.02", 8, 16, 4);
  image->IsForDrive(drive);
  if (image->IsValid() && image->GetIdentity().GetVendor() != "VQ      ") __builtin_trap();
  if (CCvtFile* cvt = dynamic_cast<CCvtFile*>(image)) ReadEveryPage(cvt, cvt->GetPageCount(), cvt->GetPageSize());
  if (CCdBinFile* bin = dynamic_cast<CCdBinFile*>(image)) ReadEveryPage(bin, bin->GetPageCount(), bin->GetPageSize());
  return 0;
}
