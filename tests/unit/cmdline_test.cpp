#include "cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Call {
  std::string param;
  BOOL isSwitch;
  BOOL isLast;
  bool operator==(const Call& o) const { return param == o.param && isSwitch == o.isSwitch && isLast == o.isLast; }
};

class RecordingParser : public CCommandLineInfo {
 public:
  void ParseParam(const char* param, BOOL isSwitch, BOOL isLast) override {
    calls.push_back({param, isSwitch, isLast});
    CCommandLineInfo::ParseParam(param, isSwitch, isLast);
  }
  std::vector<Call> calls;
};

void Parse(CCommandLineInfo& info, std::vector<std::string> args) {
  args.insert(args.begin(), "program.exe");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  info.ParseArguments(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTest, EveryArgumentReachesParseParam) {
  RecordingParser parser;
  Parse(parser, {"/CHECK", "image.bin", "-test", "/"});
  std::vector<Call> expected = {
      {"CHECK", TRUE, FALSE}, {"image.bin", FALSE, FALSE}, {"test", TRUE, FALSE}, {"", TRUE, TRUE}};
  EXPECT_EQ(parser.calls, expected);
  EXPECT_EQ(parser.m_nShellCommand, CCommandLineInfo::FileOpen);
  EXPECT_EQ(parser.m_strFileName, "image.bin");
}

TEST(CommandLineTest, ShellCommandFollowsTheFileName) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    CCommandLineInfo::ShellCommand command;
    const char* file;
  } cases[] = {
      {"no arguments", {}, CCommandLineInfo::FileNew, ""},
      {"switch only", {"/TEST"}, CCommandLineInfo::FileNew, ""},
      {"one file", {"a.bin"}, CCommandLineInfo::FileOpen, "a.bin"},
      {"last file counts", {"a.bin", "b.bin"}, CCommandLineInfo::FileOpen, "b.bin"},
      {"file before switch", {"a.bin", "-x"}, CCommandLineInfo::FileOpen, "a.bin"},
  };
  for (const Case& c : cases) {
    CCommandLineInfo info;
    Parse(info, c.args);
    EXPECT_EQ(info.m_nShellCommand, c.command) << c.name;
    EXPECT_EQ(info.m_strFileName, c.file) << c.name;
  }
}

}  // namespace
