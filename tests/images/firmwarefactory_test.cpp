#include "firmwarefactory.h"

#include <gtest/gtest.h>

#include "NECBinFile.h"
#include "RicohBinFile.h"
#include "cvtfile.h"
#include "imagefixture.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

namespace {

class FirmwareFactoryTest : public ImageTest {
 protected:
  CFirmwareFileFactory factory_;
};

TEST(FileExtensionTest, TextAfterTheLastDotInUpperCase) {
  struct Case {
    const char* name;
    const char* extension;
  } cases[] = {
      {"image.bin", "BIN"},       {"image.Cvt", "CVT"},   {"a.b.bin", "BIN"},     {"image", ""},
      {".bin", ""},               {"image.", ""},         {"dir.bin/image", ""},  {"C:\\fw.x\\IMAGE.BIN", "BIN"},
      {"/tmp/fw/.cvt", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExtension(c.name), c.extension) << c.name;
}

TEST_F(FirmwareFactoryTest, ExtensionChoosesTheFormat) {
  struct Case {
    const char* name;
    ImageFormat format;
    const char* className;
  } cases[] = {
      {"ricoh.bin", ImageFormat::ricoh, "CRicohBinFile"},
      {"RICOH.BIN", ImageFormat::ricoh, "CRicohBinFile"},
      {"nec.bin", ImageFormat::nec, "CNecBinFile"},
      {"philips.cvt", ImageFormat::cvt, "CCvtFile"},
      {"Philips.CvT", ImageFormat::cvt, "CCvtFile"},
  };
  for (const Case& c : cases) {
    CFirmwareFile* image = factory_.Open(WriteImage(c.name, SampleBytes(c.format)));
    ASSERT_NE(image, nullptr) << c.name;
    EXPECT_EQ(image, factory_.GetCurrent());
    EXPECT_TRUE(image->IsValid()) << c.name;
    bool rightClass = c.format == ImageFormat::ricoh ? dynamic_cast<CRicohBinFile*>(image) != nullptr
                      : c.format == ImageFormat::nec ? dynamic_cast<CNecBinFile*>(image) != nullptr
                                                     : dynamic_cast<CCvtFile*>(image) != nullptr;
    EXPECT_TRUE(rightClass) << c.name << " should be " << c.className;
  }
}

TEST_F(FirmwareFactoryTest, NecImageFailsTheRicohLoadFirst) {
  std::string path = WriteImage("nec.bin", SampleBytes(ImageFormat::nec));
  CFirmwareFile* image = factory_.Open(path);
  ASSERT_NE(dynamic_cast<CNecBinFile*>(image), nullptr);
  EXPECT_TRUE(image->IsValid());
  EXPECT_EQ(LogLines(), std::vector<std::string>{Message(87, FileNameOfPath(path))});
}

TEST_F(FirmwareFactoryTest, BinFileNeitherFormatTakesLeavesTheNecImageCurrent) {
  std::string path = WriteImage("junk.bin", BlankBytes(ImageFormat::nec, 1000));
  CFirmwareFile* image = factory_.Open(path);
  ASSERT_NE(dynamic_cast<CNecBinFile*>(image), nullptr);
  EXPECT_FALSE(image->IsValid());
  EXPECT_EQ(factory_.GetCurrent(), image);
  std::string line = Message(87, image->GetFileName());
  EXPECT_EQ(LogLines(), (std::vector<std::string>{line, line}));
}

TEST_F(FirmwareFactoryTest, OtherOrNoExtensionKeepsTheCurrentImage) {
  CFirmwareFile* current = factory_.Open(WriteImage("current.cvt", SampleBytes(ImageFormat::cvt)));
  ASSERT_NE(current, nullptr);
  for (const char* name : {"image.img", "image", "image.bin.txt"}) {
    EXPECT_EQ(factory_.Open(WriteImage(name, SampleBytes(ImageFormat::cvt))), current) << name;
    EXPECT_TRUE(current->IsValid()) << name;
  }
  CFirmwareFileFactory empty;
  EXPECT_EQ(empty.Open(WriteImage("image.img", SampleBytes(ImageFormat::cvt))), nullptr);
}

TEST_F(FirmwareFactoryTest, MissingFileClosesTheCurrentImage) {
  ASSERT_NE(factory_.Open(WriteImage("current.cvt", SampleBytes(ImageFormat::cvt))), nullptr);
  EXPECT_EQ(factory_.Open(TestFilePath("missing.bin")), nullptr);
  EXPECT_EQ(factory_.GetCurrent(), nullptr);
  EXPECT_TRUE(LogLines().empty());
}

// A file that exists but cannot be opened is no image, with the reason in
// the log; nothing escapes to the caller.
TEST_F(FirmwareFactoryTest, DirectoryWithAnImageNameIsNoImage) {
  for (const char* name : {"folder.bin", "folder.cvt"}) {
    std::string path = TestFilePath(name);
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0755);
#endif
    ASSERT_NE(factory_.Open(WriteImage("current.cvt", SampleBytes(ImageFormat::cvt))), nullptr);
    EXPECT_EQ(factory_.Open(path), nullptr) << name;
    EXPECT_EQ(factory_.GetCurrent(), nullptr);
    std::string why = LogLines().back();
    EXPECT_EQ(why.rfind(FileNameOfPath(path) + ": ", 0), 0u) << why;
  }
}

TEST_F(FirmwareFactoryTest, CloseDeletesTheCurrentImage) {
  ASSERT_NE(factory_.Open(WriteImage("image.cvt", SampleBytes(ImageFormat::cvt))), nullptr);
  factory_.Close();
  EXPECT_EQ(factory_.GetCurrent(), nullptr);
  factory_.Close();
}

TEST_F(FirmwareFactoryTest, ImageMatchesADriveByVendorAndProduct) {
  struct Case {
    const char* name;
    const char* drive;
    bool matches;
  } cases[] = {
      {"same identity", "VQ      CDRW 8432       1.02", true},
      {"older drive revision", "VQ      CDRW 8432       0.99", true},
      {"product one blank shorter", "VQ      CDRW 8432      1.02", false},
      {"other product", "VQ      CDRW 8433       1.02", false},
      {"other vendor", "VX      CDRW 8432       1.02", false},
      {"lower case product", "VQ      cdrw 8432       1.02", false},
  };
  CFirmwareFile* image = factory_.Open(WriteImage("image.cvt", SampleBytes(ImageFormat::cvt)));
  ASSERT_TRUE(image && image->IsValid());
  for (const Case& c : cases) {
    CInquiryString drive;
    drive.Set(c.drive, 8, 16, 4);
    EXPECT_EQ(image->IsForDrive(drive), c.matches) << c.name;
  }
  CInquiryString same;
  same.Set("VQ      CDRW 8432       1.02", 8, 16, 4);
  CFirmwareFile* broken = factory_.Open(WriteImage("broken.cvt", SampleBytes(ImageFormat::cvt, 5000)));
  ASSERT_NE(broken, nullptr);
  EXPECT_FALSE(broken->IsForDrive(same)) << "an image that is not valid matches nothing";
}

TEST_F(FirmwareFactoryTest, ImageKnowsItsNameAndPath) {
  std::string path = WriteImage("named.cvt", SampleBytes(ImageFormat::cvt));
  CFirmwareFile* image = factory_.Open(path);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetFileName(), FileNameOfPath(path));
  EXPECT_EQ(FileNameOfPath(image->GetFilePath()), FileNameOfPath(path));
  image->Close();
  EXPECT_FALSE(image->IsValid());
  EXPECT_TRUE(image->Reopen(path));
  EXPECT_FALSE(image->IsValid()) << "there is no reload";
}

}  // namespace
