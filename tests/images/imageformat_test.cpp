// The three image formats: length limits, the identity search, the sums.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "NECBinFile.h"
#include "RicohBinFile.h"
#include "cvtfile.h"
#include "imagefixture.h"

namespace {

const char* FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::cvt: return "cvt";
    case ImageFormat::nec: return "nec";
    case ImageFormat::ricoh: return "ricoh";
  }
  return "?";
}

std::unique_ptr<CFirmwareFile> Construct(ImageFormat format, const std::string& path) {
  switch (format) {
    case ImageFormat::cvt: return std::make_unique<CCvtFile>(path);
    case ImageFormat::nec: return std::make_unique<CNecBinFile>(path);
    case ImageFormat::ricoh: return std::make_unique<CRicohBinFile>(path);
  }
  return nullptr;
}

// File offset of byte `offset` of page `page`.
size_t PageOffset(ImageFormat format, int page, size_t offset) {
  static const size_t kNecPageStart[] = {0x00000, 0x01000, 0x02000, 0x03000, 0x0B000, 0x13000, 0x1B000,
                                         0x23000, 0x2B000, 0x33000, 0x3B000, 0x43000, 0x4B000, 0x53000,
                                         0x5B000, 0x63000, 0x6B000, 0x73000, 0x7B004, 0x7D004, 0x7E004,
                                         0x7F004, 0x83004, 0x8B004, 0x93004};
  switch (format) {
    case ImageFormat::cvt: return 36 + page * 16384 + offset;
    case ImageFormat::nec: return kNecPageStart[page] + offset;
    case ImageFormat::ricoh: return page * 8192 + offset;
  }
  return 0;
}

const ImageFormat kFormats[] = {ImageFormat::cvt, ImageFormat::nec, ImageFormat::ricoh};

class ImageFormatTest : public ImageTest {};

TEST_F(ImageFormatTest, CompleteLengthLoadsAndOneByteLessFailsOnTheLastPage) {
  struct Case {
    ImageFormat format;
    uint64_t size;
    bool valid;
  } cases[] = {
      {ImageFormat::cvt, 2097188, true},  {ImageFormat::cvt, 2097187, false},  {ImageFormat::cvt, 2097188 + 999, true},
      {ImageFormat::nec, 634884, true},   {ImageFormat::nec, 634883, false},   {ImageFormat::nec, 634884 + 999, true},
      {ImageFormat::ricoh, 1048576, true}, {ImageFormat::ricoh, 1048575, false}, {ImageFormat::ricoh, 1048576 + 999, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << FormatName(c.format) << " of " << c.size << " bytes");
    size_t linesBefore = LogLines().size();
    // A complete file holds its only block in the last page, so a valid load
    // has read every page; a short one holds it in the page before, so the
    // identity found shows that the load got that far.
    int lastPage = c.format == ImageFormat::nec ? 24 : 127;
    int blockPage = c.valid ? lastPage : lastPage - 1;
    std::vector<BYTE> bytes = SampleBytes(c.format, c.size, PageOffset(c.format, blockPage, 100));
    std::string path = WriteImage("limit.img", bytes);
    std::unique_ptr<CFirmwareFile> image = Construct(c.format, path);
    EXPECT_EQ(image->IsValid(), c.valid);
    EXPECT_EQ(image->GetIdentity().GetRevision(), "1.02");
    std::vector<std::string> lines = LogLines();
    lines.erase(lines.begin(), lines.begin() + linesBefore);
    if (c.valid)
      EXPECT_TRUE(lines.empty());
    else
      EXPECT_EQ(lines, std::vector<std::string>{Message(87, image->GetFileName())});
  }
}

TEST_F(ImageFormatTest, IdentityFoundEarlyStaysWhenALaterPageIsShort) {
  for (ImageFormat format : kFormats) {
    SCOPED_TRACE(FormatName(format));
    std::string path = WriteImage("short.img", SampleBytes(format, PageOffset(format, 5, 10)));
    std::unique_ptr<CFirmwareFile> image = Construct(format, path);
    EXPECT_FALSE(image->IsValid());
    EXPECT_EQ(image->GetIdentity().GetProduct(), "CDRW 8432       ");
  }
}

TEST_F(ImageFormatTest, ImageWithoutIdentityIsNotValid) {
  for (ImageFormat format : kFormats) {
    SCOPED_TRACE(FormatName(format));
    std::string path = WriteImage("blank.img", BlankBytes(format));
    std::unique_ptr<CFirmwareFile> image = Construct(format, path);
    EXPECT_FALSE(image->IsValid());
    EXPECT_EQ(LogLines().back(), Message(88, image->GetFileName()));
  }
}

TEST_F(ImageFormatTest, FirstBlockInFileOrderWins) {
  for (ImageFormat format : kFormats) {
    SCOPED_TRACE(FormatName(format));
    std::vector<BYTE> bytes = BlankBytes(format);
    PutBytes(bytes, PageOffset(format, 3, 500), Block(format, "FIRST", "1.01"));
    PutBytes(bytes, PageOffset(format, 3, 900), Block(format, "SAME PAGE", "1.02"));
    PutBytes(bytes, PageOffset(format, 4, 10), Block(format, "LATER PAGE", "1.03"));
    std::unique_ptr<CFirmwareFile> image = Construct(format, WriteImage("two.img", bytes));
    EXPECT_TRUE(image->IsValid());
    EXPECT_EQ(image->GetIdentity().GetProduct(), "FIRST           ");
  }
}

// A signature whose block would run past the end of the page buffer is
// skipped; the block is not taken from the bytes that follow in the file.
TEST_F(ImageFormatTest, BlockRunningPastThePageBufferIsSkipped) {
  struct Case {
    ImageFormat format;
    int page;
    size_t pageSize;
    size_t blockLength;
  } cases[] = {
      {ImageFormat::cvt, 7, 16384, 28},
      {ImageFormat::nec, 7, 32768, 28},
      {ImageFormat::ricoh, 7, 8192, 30},
  };
  for (const Case& c : cases) {
    for (size_t fromEnd = c.blockLength - 1; fromEnd <= c.blockLength; ++fromEnd) {
      SCOPED_TRACE(testing::Message() << FormatName(c.format) << ", signature " << fromEnd << " bytes before the end");
      std::vector<BYTE> bytes = BlankBytes(c.format);
      PutBytes(bytes, PageOffset(c.format, c.page, c.pageSize - fromEnd), Block(c.format, "EDGE", "1.04"));
      std::unique_ptr<CFirmwareFile> image = Construct(c.format, WriteImage("edge.img", bytes));
      EXPECT_EQ(image->IsValid(), fromEnd == c.blockLength);
    }
  }
}

TEST_F(ImageFormatTest, CvtTakesOnlyABlockWhoseRevisionEndsInTwoDigits) {
  struct Case {
    const char* revision;
    bool taken;
  } cases[] = {{"1.02", true}, {"A.99", true}, {"1.0A", false}, {"1.A0", false}, {"1.0 ", false}, {"1.0/", false},
               {"1.0:", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.revision);
    std::vector<BYTE> bytes = BlankBytes(ImageFormat::cvt);
    PutBytes(bytes, PageOffset(ImageFormat::cvt, 2, 100), Block(ImageFormat::cvt, "CANDIDATE", c.revision));
    // The search goes on past a refused block, into later pages.
    PutBytes(bytes, PageOffset(ImageFormat::cvt, 9, 100), Block(ImageFormat::cvt, "FALLBACK", "2.00"));
    CCvtFile image(WriteImage("digits.cvt", bytes));
    EXPECT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetIdentity().GetProduct(), c.taken ? "CANDIDATE       " : "FALLBACK        ");
  }
}

TEST_F(ImageFormatTest, RicohSeparatorsAreSkipped) {
  for (BYTE separator : {BYTE(' '), BYTE(0), BYTE(0xFF), BYTE('x')}) {
    SCOPED_TRACE(static_cast<int>(separator));
    std::vector<BYTE> block = Block(ImageFormat::ricoh, "CDRW 8432", "1.02");
    block[8] = block[25] = separator;
    std::vector<BYTE> bytes = BlankBytes(ImageFormat::ricoh);
    PutBytes(bytes, 5000, block);
    CRicohBinFile image(WriteImage("separator.bin", bytes));
    EXPECT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetIdentity().GetText(), "VQ      CDRW 8432       1.02");
  }
}

TEST_F(ImageFormatTest, ZeroByteEndsAFieldAndTheFieldsShift) {
  struct Case {
    ImageFormat format;
    const char* product;
    const char* revision;
  } cases[] = {
      // BIN formats copy each field up to its zero byte and join them.
      {ImageFormat::nec, "CDRW", "1.02"},
      {ImageFormat::ricoh, "CDRW", "1.02"},
      // CVT copies the 28 bytes up to the first zero byte.
      {ImageFormat::cvt, "CDRW", "CDRW"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatName(c.format));
    std::vector<BYTE> block = Block(c.format, "CDRW", "1.02");
    block[c.format == ImageFormat::ricoh ? 13 : 12] = 0;
    std::vector<BYTE> bytes = BlankBytes(c.format);
    PutBytes(bytes, PageOffset(c.format, 1, 64), block);
    std::unique_ptr<CFirmwareFile> image = Construct(c.format, WriteImage("zero.img", bytes));
    EXPECT_TRUE(image->IsValid());
    EXPECT_EQ(image->GetIdentity().GetVendor(), "VQ      ");
    EXPECT_EQ(image->GetIdentity().GetProduct().substr(0, 4), c.product);
    EXPECT_EQ(image->GetIdentity().GetRevision(), c.revision);
  }
}

TEST_F(ImageFormatTest, ReadPageRefusesAnIndexPastTheLastPage) {
  std::vector<BYTE> buffer(32768);
  CNecBinFile nec(WriteImage("nec.bin", SampleBytes(ImageFormat::nec)));
  WORD region1 = nec.GetRegion1Sum(), region2 = nec.GetRegion2Sum();
  EXPECT_FALSE(nec.ReadPage(25, buffer.data()));
  EXPECT_EQ(nec.GetRegion1Sum(), region1);
  EXPECT_EQ(nec.GetRegion2Sum(), region2);
  EXPECT_TRUE(nec.ReadPage(24, buffer.data()));

  CRicohBinFile ricoh(WriteImage("ricoh.bin", SampleBytes(ImageFormat::ricoh)));
  EXPECT_FALSE(ricoh.ReadPage(128, buffer.data()));
  EXPECT_TRUE(ricoh.ReadPage(127, buffer.data()));

  CCvtFile cvt(WriteImage("image.cvt", SampleBytes(ImageFormat::cvt)));
  EXPECT_FALSE(cvt.ReadPage(128, buffer.data()));
  EXPECT_TRUE(cvt.ReadPage(127, buffer.data()));
}

TEST_F(ImageFormatTest, PagesReadBackAsTheFileHoldsThem) {
  std::vector<BYTE> bytes = SampleBytes(ImageFormat::nec);
  CNecBinFile image(WriteImage("nec.bin", bytes));
  std::vector<BYTE> buffer(image.GetPageSize());
  struct Page {
    DWORD index;
    size_t offset, length;
  } pages[] = {{0, 0x0, 0x1000}, {17, 0x73000, 0x8000}, {18, 0x7B004, 0x2000}, {21, 0x7F004, 0x4000}};
  for (const Page& p : pages) {
    ASSERT_TRUE(image.ReadPage(p.index, buffer.data()));
    EXPECT_EQ(std::memcmp(buffer.data(), bytes.data() + p.offset, p.length), 0) << "page " << p.index;
  }
}

// Independent of the class: 16-bit big-endian words of [begin, end), summed.
WORD WordSum(const std::vector<BYTE>& bytes, size_t begin, size_t end) {
  unsigned sum = 0;
  for (size_t i = begin; i < end; i += 2) sum += bytes[i] << 8 | bytes[i + 1];
  return static_cast<WORD>(sum);
}

TEST_F(ImageFormatTest, NecRegionSumsCoverTheirRangesWithoutTheLastWord) {
  std::vector<BYTE> bytes = SampleBytes(ImageFormat::nec);
  CNecBinFile image(WriteImage("nec.bin", bytes));
  const WORD region1 = WordSum(bytes, 0, 0x7AFFE);
  const WORD region2 = WordSum(bytes, 0x7B004, 0x9B002);
  // The load leaves the sums of the whole image.
  EXPECT_EQ(image.GetRegion1Sum(), region1);
  EXPECT_EQ(image.GetRegion2Sum(), region2);

  std::vector<BYTE> buffer(image.GetPageSize());
  image.ClearRegionSums();
  for (DWORD page = 0; page < image.GetPageCount(); ++page) ASSERT_TRUE(image.ReadPage(page, buffer.data()));
  EXPECT_EQ(image.GetRegion1Sum(), region1);
  EXPECT_EQ(image.GetRegion2Sum(), region2);

  // A page read again is summed again.
  ASSERT_TRUE(image.ReadPage(17, buffer.data()));
  EXPECT_EQ(image.GetRegion1Sum(), static_cast<WORD>(region1 + WordSum(bytes, 0x73000, 0x7AFFE)));
  EXPECT_EQ(image.GetRegion2Sum(), region2);
}

TEST_F(ImageFormatTest, NecBytesOutsideTheSummedRangesNeverCount) {
  std::vector<BYTE> bytes(634884, 0);
  PutBytes(bytes, 0x100, Block(ImageFormat::nec, "CDRW 8432", "1.02"));
  const WORD blockSum = WordSum(bytes, 0, 0x200);
  // The last word of each region and the 4 bytes between the regions.
  for (size_t at : {0x7AFFE, 0x7AFFF, 0x7B000, 0x7B001, 0x7B002, 0x7B003, 0x9B002, 0x9B003}) bytes[at] = 0xFF;
  CNecBinFile image(WriteImage("nec.bin", bytes));
  EXPECT_TRUE(image.IsValid());
  EXPECT_EQ(image.GetRegion1Sum(), blockSum);
  EXPECT_EQ(image.GetRegion2Sum(), 0);
}

// Independent of the class: the plain byte sum and the BSD sum.
void ReferenceSums(const BYTE* data, size_t length, WORD& byteSum, WORD& bsdSum) {
  unsigned s1 = 0, s2 = 0;
  for (size_t i = 0; i < length; ++i) {
    s1 = (s1 + data[i]) & 0xFFFF;
    s2 = (s2 >> 1) + ((s2 & 1) << 15);
    s2 = (s2 + data[i]) & 0xFFFF;
  }
  byteSum = static_cast<WORD>(s1);
  bsdSum = static_cast<WORD>(s2);
}

TEST_F(ImageFormatTest, CvtSumsCoverAllPagesAndNeverTheHeader) {
  std::vector<BYTE> bytes = SampleBytes(ImageFormat::cvt);
  WORD byteSum, bsdSum;
  ReferenceSums(bytes.data() + 36, bytes.size() - 36, byteSum, bsdSum);
  CCvtFile image(WriteImage("image.cvt", bytes));
  EXPECT_TRUE(image.IsValid());
  EXPECT_EQ(image.GetByteSum(), byteSum);
  EXPECT_EQ(image.GetRotatingSum(), bsdSum);

  // Another header, extra bytes after the pages, a second open: same sums.
  for (size_t i = 0; i < 36; ++i) bytes[i] = static_cast<BYTE>(0xA5 + i);
  bytes.resize(bytes.size() + 77, 0xEE);
  CCvtFile again(WriteImage("again.cvt", bytes));
  EXPECT_EQ(again.GetByteSum(), byteSum);
  EXPECT_EQ(again.GetRotatingSum(), bsdSum);
}

TEST_F(ImageFormatTest, CvtSumsOfNearlyZeroPages) {
  struct Case {
    const char* name;
    BYTE lastByte;
    WORD sums;
  } cases[] = {{"all zero", 0, 0}, {"last byte of page 127 is 1", 1, 1}};
  for (const Case& c : cases) {
    std::vector<BYTE> bytes(2097188, 0);
    bytes.back() = c.lastByte;
    CCvtFile image(WriteImage("zero.cvt", bytes));
    EXPECT_EQ(image.GetByteSum(), c.sums) << c.name;
    EXPECT_EQ(image.GetRotatingSum(), c.sums) << c.name;
  }
}

TEST_F(ImageFormatTest, CvtSumsOfAShortFileHoldTheCompletePagesOnly) {
  std::vector<BYTE> bytes = SampleBytes(ImageFormat::cvt, PageOffset(ImageFormat::cvt, 40, 1000));
  WORD byteSum, bsdSum;
  ReferenceSums(bytes.data() + 36, 40 * 16384, byteSum, bsdSum);
  CCvtFile image(WriteImage("short.cvt", bytes));
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetByteSum(), byteSum);
  EXPECT_EQ(image.GetRotatingSum(), bsdSum);
}

TEST_F(ImageFormatTest, CvtFileShorterThanItsHeader) {
  CCvtFile image(WriteImage("tiny.cvt", std::vector<BYTE>(35, 'x')));
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(LogLines(), std::vector<std::string>{Message(87, image.GetFileName())});
}

#ifndef _WIN32
// The rotating sum is the BSD checksum: the sum command agrees on the page bytes.
TEST_F(ImageFormatTest, CvtRotatingSumAgreesWithBsdSumCommand) {
  for (uint64_t seed : {1u, 2u, 3u}) {
    SampleImage sample;
    sample.product = "CDRW 8432";
    sample.revision = "1.02";
    sample.seed = seed;
    std::vector<BYTE> bytes;
    std::string error;
    ASSERT_TRUE(BuildSampleImage(sample, bytes, error));
    CCvtFile image(WriteImage("image.cvt", bytes));
    std::string pagesPath = WriteImage("pages.raw", std::vector<BYTE>(bytes.begin() + 36, bytes.end()));
    std::FILE* pipe = popen(("sum -r '" + pagesPath + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    unsigned bsd = 0, blocks = 0;
    EXPECT_EQ(std::fscanf(pipe, "%u %u", &bsd, &blocks), 2);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(image.GetRotatingSum(), bsd) << "seed " << seed;
    EXPECT_EQ(blocks, 2048u);
  }
}
#endif

}  // namespace
