// Fixture for the image tests: files written into the test's temporary
// folder, and a status log whose lines the test can read back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "logfile.h"
#include "sampleimage.h"
#include "stringtable.h"

inline std::string TestFilePath(const std::string& name) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string test = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : test)
    if (c == '/') c = '_';
  return testing::TempDir() + test + "_" + name;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A sample image of the format: identity "VQ      " / product / revision
// at identityAt (-1: the default place), size bytes (0: complete).
inline std::vector<BYTE> SampleBytes(ImageFormat format, uint64_t size = 0, int64_t identityAt = -1,
                                     const std::string& product = "CDRW 8432", const std::string& revision = "1.02") {
  SampleImage sample;
  sample.format = format;
  sample.product = product;
  sample.revision = revision;
  sample.size = size;
  sample.identityAt = identityAt;
  std::vector<BYTE> bytes;
  std::string error;
  EXPECT_TRUE(BuildSampleImage(sample, bytes, error)) << error;
  return bytes;
}

// Random bytes without any identity block.
inline std::vector<BYTE> BlankBytes(ImageFormat format, uint64_t size = 0) {
  std::vector<BYTE> bytes(static_cast<size_t>(size ? size : CompleteImageLength(format)));
  FillPseudoRandom(bytes.data(), bytes.size(), 7);
  return bytes;
}

inline void PutBytes(std::vector<BYTE>& image, size_t at, const std::vector<BYTE>& bytes) {
  ASSERT_LE(at + bytes.size(), image.size());
  std::memcpy(image.data() + at, bytes.data(), bytes.size());
}

inline std::vector<BYTE> Block(ImageFormat format, const std::string& product, const std::string& revision) {
  return IdentityBlock(format, "VQ", product, revision);
}

inline std::string Message(unsigned id, const std::string& fileName) { return FormatString(id, fileName.c_str()); }

class ImageTest : public testing::Test {
 protected:
  void SetUp() override {
    logPath_ = TestFilePath("status.txt");
    ASSERT_TRUE(log_.Open(logPath_, TRUE, FALSE));
  }

  std::string WriteImage(const std::string& name, const std::vector<BYTE>& bytes) {
    std::string path = TestFilePath(name);
    WriteWholeFile(path, bytes);
    return path;
  }

  // Lines written since the log was opened.
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string text = ReadWholeFile(logPath_);
    size_t start = text.find("\r\n");
    for (size_t end; start != std::string::npos && (end = text.find("\r\n", start + 2)) != std::string::npos;
         start = end)
      lines.push_back(text.substr(start + 2, end - start - 2));
    return lines;
  }

  std::string logPath_;
  CLogFile log_;
};
