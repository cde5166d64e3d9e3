// The fwimage tool, run in-process.
#include "fwimage.h"

#include <gtest/gtest.h>

#include <sstream>

#include "file.h"
#include "imagefixture.h"

namespace {

struct ToolRun {
  int status;
  std::string out, err;
};

ToolRun RunTool(std::vector<std::string> args) {
  args.insert(args.begin(), "fwimage");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  std::ostringstream out, err;
  int status = FwImageMain(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

TEST(FwImageTest, MakeThenInfoForEveryFormat) {
  struct Case {
    const char* format;
    const char* file;
    const char* json;
  } cases[] = {
      {"cvt", "sample.cvt",
       "{\"format\": \"cvt\", \"valid\": true, \"vendor\": \"VQ      \", \"product\": \"Quill 2         \", "
       "\"revision\": \"3.10\", \"byte_sum\": "},
      {"nec", "sample.bin",
       "{\"format\": \"nec-bin\", \"valid\": true, \"vendor\": \"VQ      \", \"product\": \"Quill 2         \", "
       "\"revision\": \"3.10\", \"region1_sum\": "},
      {"ricoh", "sample.bin",
       "{\"format\": \"ricoh-bin\", \"valid\": true, \"vendor\": \"VQ      \", \"product\": \"Quill 2         \", "
       "\"revision\": \"3.10\", \"log\": []}\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    std::string path = TestFilePath(c.file);
    ToolRun make = RunTool({"make", "--format", c.format, "--product", "Quill 2", "--revision", "3.10", "-o", path});
    ASSERT_EQ(make.status, 0) << make.err;
    ToolRun info = RunTool({"info", "--json", path});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out.rfind(c.json, 0), 0u) << info.out;
  }
}

TEST(FwImageTest, NecInfoShowsTheRicohAttemptInItsLog) {
  std::string path = TestFilePath("nec.bin");
  ASSERT_EQ(RunTool({"make", "--format", "nec", "--product", "Tarn", "--revision", "1.00", "-o", path}).status, 0);
  ToolRun info = RunTool({"info", "--json", path});
  EXPECT_NE(info.out.find("\"log\": [\"Erro ao ler o arquivo " + FileNameOfPath(path) + ".\"]"), std::string::npos)
      << info.out;
}

TEST(FwImageTest, CvtSumsMatchTheImageClass) {
  std::string path = TestFilePath("sums.cvt");
  ASSERT_EQ(RunTool({"make", "--format", "cvt", "--product", "P", "--revision", "1.00", "--seed", "42", "-o", path})
                .status,
            0);
  std::vector<BYTE> bytes;
  SampleImage sample;
  sample.product = "P";
  sample.revision = "1.00";
  sample.seed = 42;
  std::string error;
  ASSERT_TRUE(BuildSampleImage(sample, bytes, error));
  EXPECT_EQ(ReadWholeFile(path), std::string(bytes.begin(), bytes.end())) << "make writes the sample bytes";
  unsigned s1 = 0, s2 = 0;
  for (size_t i = 36; i < bytes.size(); ++i) {
    s1 = (s1 + bytes[i]) & 0xFFFF;
    s2 = ((s2 >> 1) + ((s2 & 1) << 15) + bytes[i]) & 0xFFFF;
  }
  ToolRun info = RunTool({"info", "--json", path});
  EXPECT_NE(info.out.find("\"byte_sum\": " + std::to_string(s1) + ", \"rotating_sum\": " + std::to_string(s2)),
            std::string::npos)
      << info.out;
}

TEST(FwImageTest, SeedDecidesTheContent) {
  auto make = [](const char* seed, const char* name) {
    std::string path = TestFilePath(name);
    EXPECT_EQ(RunTool({"make", "--format", "ricoh", "--product", "F", "--revision", "1", "--seed", seed, "-o", path})
                  .status,
              0);
    return ReadWholeFile(path);
  };
  std::string first = make("7", "a.bin"), again = make("7", "b.bin"), other = make("8", "c.bin");
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
  EXPECT_EQ(first.size(), 1048576u);
}

TEST(FwImageTest, IdentityAtAndSizeShapeTheImage) {
  std::string path = TestFilePath("placed.bin");
  ASSERT_EQ(RunTool({"make", "--format", "ricoh", "--product", "Fenn", "--revision", "2.00", "--identity-at",
                     "0x1234", "--size", "2000000", "-o", path})
                .status,
            0);
  std::string bytes = ReadWholeFile(path);
  ASSERT_EQ(bytes.size(), 2000000u);
  EXPECT_EQ(bytes.substr(0x1234, 30), "VQ       Fenn             2.00");
}

TEST(FwImageTest, InvalidAndUnrecognisedFilesExitWithOne) {
  std::string shortCvt = testing::TempDir() + "short.cvt";
  ASSERT_EQ(RunTool({"make", "--format", "cvt", "--product", "P", "--revision", "1.00", "--size", "1000", "-o",
                     shortCvt})
                .status,
            0);
  ToolRun info = RunTool({"info", "--json", shortCvt});
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.out.rfind("{\"format\": \"cvt\", \"valid\": false, ", 0), 0u) << info.out;
  EXPECT_NE(info.out.find("\"log\": [\"Erro ao ler o arquivo short.cvt.\"]"), std::string::npos) << info.out;

  std::string other = TestFilePath("image.txt");
  WriteWholeFile(other, std::vector<BYTE>(10, 'x'));
  info = RunTool({"info", "--json", other});
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.out,
            "{\"format\": null, \"valid\": false, \"vendor\": \"\", \"product\": \"\", \"revision\": \"\", \"log\": []}\n");
}

TEST(FwImageTest, TextOutputShowsBlanksAndEscapesControls) {
  std::string path = TestFilePath("text.cvt");
  std::vector<BYTE> bytes = BlankBytes(ImageFormat::cvt);
  std::string block = std::string("VQ      Caf\xE9\x01", 13) + std::string(11, ' ') + "1.00";
  PutBytes(bytes, 100, std::vector<BYTE>(block.begin(), block.end()));
  WriteWholeFile(path, bytes);
  ToolRun info = RunTool({"info", path});
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.out.find("product:       \"Caf\xC3\xA9\\x01           \"\n"), std::string::npos) << info.out;
  info = RunTool({"info", "--json", path});
  EXPECT_NE(info.out.find("\"product\": \"Caf\xC3\xA9\\u0001           \""), std::string::npos) << info.out;
}

TEST(FwImageTest, UsageErrorsAndUnopenableFilesExitWithTwo) {
  std::string good = TestFilePath("good.cvt");
  const std::vector<std::string> runs[] = {
      {},
      {"verify", good},
      {"info"},
      {"info", "--xml", good},
      {"info", TestFilePath("missing.cvt")},
      {"info", testing::TempDir()},
      {"make", "--format", "iso", "--product", "P", "--revision", "1.00", "-o", good},
      {"make", "--format", "cvt", "--product", "P", "--revision", "1.0A", "-o", good},
      {"make", "--format", "cvt", "--product", "PRODUCT NAME TOO LONG", "--revision", "1.00", "-o", good},
      {"make", "--format", "cvt", "--product", "P", "--revision", "1.00"},
      {"make", "--format", "cvt", "--product", "P", "--revision", "1.00", "--seed", "x", "-o", good},
      {"make", "--format", "nec", "--product", "P", "--revision", "1.00", "--identity-at", "634870", "-o", good},
      {"make", "--format", "nec", "--product", "P", "--revision", "1.00", "-o"},
  };
  for (const std::vector<std::string>& args : runs) {
    ToolRun run = RunTool(args);
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_FALSE(run.err.empty()) << line;
  }
}

}  // namespace
