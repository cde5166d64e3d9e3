// Image files and Windows sharing modes: an image is opened read-only with
// writing by others denied, and a file another program holds for writing is
// no image.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "firmwarefactory.h"
#include "fwimage.h"
#include "imagefixture.h"

namespace {

class ImageSharingTest : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    path_ = WriteImage("shared.cvt", SampleBytes(ImageFormat::cvt));
  }
  void TearDown() override {
    if (other_ != INVALID_HANDLE_VALUE) CloseHandle(other_);
  }
  // Opens the image file as another program would; the handle or
  // INVALID_HANDLE_VALUE with the error in lastError_.
  BOOL OpenOther(DWORD access, DWORD share) {
    other_ = CreateFileA(path_.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    lastError_ = GetLastError();
    return other_ != INVALID_HANDLE_VALUE;
  }

  std::string path_;
  HANDLE other_ = INVALID_HANDLE_VALUE;
  DWORD lastError_ = 0;
  CFirmwareFileFactory factory_;
};

TEST_F(ImageSharingTest, FileHeldForWritingIsNoImageAndTheLogSaysWhy) {
  ASSERT_TRUE(OpenOther(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(path_, CFile::modeRead | CFile::shareDenyWrite, &error));
  EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
  EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION);

  EXPECT_EQ(factory_.Open(path_), nullptr);
  EXPECT_EQ(factory_.GetCurrent(), nullptr);
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind(FileNameOfPath(path_) + ": ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].size() - 4), "(32)") << lines[0];
}

TEST_F(ImageSharingTest, FileHeldForReadingOpensAsUsual) {
  ASSERT_TRUE(OpenOther(GENERIC_READ, FILE_SHARE_READ));
  CFirmwareFile* image = factory_.Open(path_);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(image->IsValid());
}

TEST_F(ImageSharingTest, CurrentImageDeniesWritingUntilClosed) {
  ASSERT_NE(factory_.Open(path_), nullptr);
  EXPECT_FALSE(OpenOther(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
  EXPECT_EQ(lastError_, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  factory_.Close();
  EXPECT_TRUE(OpenOther(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
}

TEST_F(ImageSharingTest, ToolReportsAFileItCannotOpen) {
  ASSERT_TRUE(OpenOther(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
  std::string program = "fwimage", command = "info";
  char* argv[] = {&program[0], &command[0], &path_[0]};
  std::ostringstream out, err;
  EXPECT_EQ(FwImageMain(3, argv, out, err), 2);
  EXPECT_TRUE(out.str().empty());
  EXPECT_NE(err.str().find(path_), std::string::npos) << err.str();
}

}  // namespace
