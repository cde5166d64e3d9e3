// The device libraries when PX.DLL is missing, lacks an ordinal, answers
// with another version or lists more devices than an 8-bit counter holds; each case runs in a fresh process in a folder of
// its own, since a library binds PX.DLL once per process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe.h"
#include "wintest.h"

namespace {

struct Case {
  const char* name;
  const char* variant;  // PX.DLL beside the libraries: a stub of bin\pxstubs, or none
  std::vector<std::string> steps;
  const char* results;
};

std::string RunCase(const Case& c, const std::string& dir) {
  std::string bin = wintest::BinDir();
  for (const char* file : {"bind_failures_test.exe", "unitprobe.dll", "VQASPI32.DLL", "VQCDR4.DLL"})
    EXPECT_TRUE(wintest::CopyTo(bin + file, dir)) << file;
  if (*c.variant) {
    std::string stub = bin + "pxstubs\\" + c.variant + "\\PX.DLL";
    EXPECT_TRUE(CopyFileA(stub.c_str(), (dir + "PX.DLL").c_str(), FALSE)) << stub;
  }
  std::string command = "\"" + dir + "bind_failures_test.exe\" --probe \"" + dir + "results.txt\"";
  for (std::string step : c.steps) {
    size_t at = step.find("$BIN");
    if (at != std::string::npos) step.replace(at, 4, bin);
    at = step.find("$DIR");
    if (at != std::string::npos) step.replace(at, 4, dir);
    command += " \"" + step + "\"";
  }
  EXPECT_EQ(wintest::Run(command, dir), 0);
  return wintest::ReadFileBytes(dir + "results.txt");
}

TEST(BindFailuresTest, EachLibraryFailsAsItsCallersExpect) {
  const std::string copyStub = "copy:$BINpxstubs\\all\\PX.DLL|$DIRPX.DLL";
  const Case cases[] = {
      {"no PX.DLL, then one appears: retried",
       "",
       {"unitprobe.init", "passlink.support", "lockshim.reserve", "lockshim.start", "lockshim.letter", copyStub,
        "unitprobe.init", "passlink.support", "lockshim.start", "lockshim.letter"},
       "0\ne300\n0\n0\n0 11 11 11\ncopied\n1\n0101\n7\n1 ff ff ff\n"},
      {"wrong version", "wrong_version", {"unitprobe.init", "passlink.support", "lockshim.start"}, "0\ne300\n7\n"},
      {"ordinal 410 missing", "no410", {"unitprobe.init", "passlink.support", "lockshim.start"}, "0\ne300\n0\n"},
      {"ordinal 290 missing: only lockshim needs it",
       "no290",
       {"unitprobe.init", "passlink.support", "lockshim.start", "lockshim.reserve"},
       "1\n0101\n0\n0\n"},
      {"300 devices: the index loops end", "many_devices", {"unitprobe.init", "unitprobe.info", "passlink.support"},
       "1\n0\n0101\n"},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string dir = wintest::MakeTempDir("bind" + std::to_string(n++));
    EXPECT_EQ(RunCase(c, dir), c.results) << c.name;
    wintest::RemoveTree(dir);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--probe") return RunProbe(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
