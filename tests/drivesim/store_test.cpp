// The shared simulation: several stores on one file behave like the separate
// processes of an update run, the check run and pxsim.
#include "downloads.h"
#include "fileio.h"
#include "store.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace {

using namespace drivesim;
using namespace testkit;

class SharedSimulation : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pxsim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/pxsim.ini";
  }
  void TearDown() override {
    const SimPaths p = SimPaths::For(path_);
    for (const std::string& f : {p.sim, p.state, p.trace, p.lock}) std::remove(f.c_str());
    rmdir(dir_.c_str());
  }

  void Write(const std::vector<DeviceConfig>& devices) { ASSERT_TRUE(WriteSimFile(path_, devices)); }

  SimStore OpenStore() {
    SimStore store;
    std::string error;
    EXPECT_TRUE(store.Open(path_, &error)) << error;
    return store;
  }

  static Reply Exec(SimStore& store, size_t index, const Step& step) {
    std::vector<Byte> data = step.data;
    Command cmd{step.cdb.data(), step.cdb.size(), step.direction, data.empty() ? nullptr : data.data(), data.size()};
    return store.Execute(index, cmd);
  }

  static std::string Revision(SimStore& store, size_t index) {
    std::vector<Byte> cdb = {0x12, 0, 0, 0, 56, 0}, data(56);
    Command cmd{cdb.data(), cdb.size(), Direction::In, data.data(), data.size()};
    if (store.Execute(index, cmd).status != Status::Good) return "<no answer>";
    return std::string(data.begin() + 32, data.begin() + 36);
  }

  std::string dir_, path_;
};

TEST_F(SharedSimulation, UpdateRunPowerCycleAndCheckRunSeeOneDrive) {
  Write({DeviceConfig::Disk('C'), DeviceConfig::SupportedDrive("62kb", 'E')});
  {
    SimStore update = OpenStore();
    for (const Step& s : TarnSequence(NecImageFile("Zelvo Unit 62kb ", "2.00")))
      ASSERT_EQ(Exec(update, 1, s).status, Status::Good);
  }
  SimStore tool = OpenStore();
  EXPECT_EQ(tool.States()[1].download, Download::Staged);
  EXPECT_EQ(tool.States()[1].stagedRevision, "2.00");
  ASSERT_TRUE(tool.PowerCycle());
  SimStore check = OpenStore();
  EXPECT_EQ(Revision(check, 1), "2.00");
  EXPECT_EQ(check.States()[1].powerCycles, 1u);
}

TEST_F(SharedSimulation, TraceRecordsEveryCommandUntilCleared) {
  Write({DeviceConfig::SupportedDrive("61ka", 'E')});
  SimStore store = OpenStore();
  Revision(store, 0);
  Exec(store, 0, Step{{0x2A, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Direction::None, {}});
  std::vector<std::string> lines = store.TraceLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "dev=0 cdb=12 00 00 00 38 00 dir=in len=56 status=good sense=0/00/00");
  TraceEntry e;
  ASSERT_TRUE(TraceEntry::Parse(lines[1], &e));
  EXPECT_EQ(e.CdbHex(), "2A 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(e.status, Status::CheckCondition);
  EXPECT_EQ(e.sense, sense::kInvalidOpcode);
  ASSERT_TRUE(store.ClearTrace());
  EXPECT_TRUE(store.TraceLines().empty());
}

TEST_F(SharedSimulation, RewrittenSimulationFileStartsAfresh) {
  Write({DeviceConfig::SupportedDrive("64kd", 'E')});
  {
    SimStore store = OpenStore();
    Exec(store, 0, Step{{0x1E, 0, 0, 0, 1, 0}, Direction::None, {}});
    EXPECT_TRUE(store.States()[0].trayLocked);
  }
  Write({DeviceConfig::SupportedDrive("64kd", 'F')});
  SimStore store = OpenStore();
  EXPECT_FALSE(store.States()[0].trayLocked);
}

TEST_F(SharedSimulation, DamagedStateFileGivesInitialStates) {
  Write({DeviceConfig::SupportedDrive("64kd", 'E')});
  SimStore store = OpenStore();
  Exec(store, 0, Step{{0x1E, 0, 0, 0, 1, 0}, Direction::None, {}});
  for (const char* damage : {"[device]\ntray_locked = 7\n", "garbage", "[device]\n[device]\n[device]\n"}) {
    ASSERT_TRUE(ReplaceWholeFile(store.Paths().state, damage));
    EXPECT_FALSE(store.States()[0].trayLocked) << damage;
  }
}

TEST_F(SharedSimulation, TwoProcessesAtOnceLoseNoUpdate) {
  Write({DeviceConfig::OtherDrive('E')});
  const int kCommands = 200;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  SimStore store = OpenStore();
  for (int i = 0; i < kCommands; ++i) Exec(store, 0, Step{{0x00, 0, 0, 0, 0, 0}, Direction::None, {}});
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(store.States()[0].turCount, 2u * kCommands);
  EXPECT_EQ(store.TraceLines().size(), 2u * kCommands);
}

TEST_F(SharedSimulation, MissingOrBadFileGivesNoDevices) {
  SimStore store;
  EXPECT_EQ(Exec(store, 0, Step{{0x00, 0, 0, 0, 0, 0}, Direction::None, {}}).status, Status::HostFailure);
  std::string error;
  EXPECT_FALSE(store.Open(path_, &error));
  EXPECT_EQ(store.Count(), 0u);
  ASSERT_TRUE(ReplaceWholeFile(path_, "[device]\nmodel = 99zz\n"));
  EXPECT_FALSE(store.Open(path_, &error));
  EXPECT_NE(error.find("line 2: unknown model"), std::string::npos);
  EXPECT_EQ(store.Count(), 0u);
  EXPECT_EQ(Exec(store, 0, Step{{0x00, 0, 0, 0, 0, 0}, Direction::None, {}}).status, Status::HostFailure);
}

}  // namespace
