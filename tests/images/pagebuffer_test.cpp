// Its own program: every array allocation here comes back filled with
// identity blocks, as a reused heap block might be. A page buffer that the
// load did not clear would then yield an identity the file does not hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "NECBinFile.h"
#include "imagefixture.h"

namespace {

void* PoisonedAllocation(std::size_t size) {
  static const char kBlock[] = "VQ      STALE HEAP BYTES9.99";
  void* memory = std::malloc(size ? size : 1);
  if (!memory) return nullptr;
  for (std::size_t i = 0; i < size; ++i) static_cast<char*>(memory)[i] = kBlock[i % (sizeof kBlock - 1)];
  return memory;
}

}  // namespace

void* operator new[](std::size_t size) {
  void* memory = PoisonedAllocation(size);
  if (!memory) throw std::bad_alloc();
  return memory;
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return PoisonedAllocation(size); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

class PageBufferTest : public ImageTest {};

// NEC pages 0 to 2 are 4096 bytes in a 32768-byte buffer: the scan of page 0
// covers 28 KiB that no page has written yet.
TEST_F(PageBufferTest, ScanBeyondAShortFirstPageFindsNothingStale) {
  CNecBinFile image(WriteImage("blank.bin", BlankBytes(ImageFormat::nec)));
  EXPECT_FALSE(image.IsValid());
  EXPECT_TRUE(image.GetIdentity().IsEmpty()) << image.GetIdentity().GetText();
  EXPECT_EQ(LogLines().back(), Message(88, image.GetFileName()));
}

}  // namespace
