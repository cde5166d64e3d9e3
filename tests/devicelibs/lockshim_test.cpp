// VQCDR4.DLL loaded by its file name over the simulated drives.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pxtest.h"
#include "wintest.h"

namespace {

using drivesim::DeviceConfig;

template <typename Function>
Function Entry(const char* name) {
  return wintest::Export<Function>("VQCDR4.DLL", name);
}

using ReserveFn = int(__stdcall*)(int, char*);
using IdFn = int(__stdcall*)(int);
using AllFn = int(__stdcall*)();
using LookupFn = int(__cdecl*)(int, BYTE*, BYTE*, BYTE*);

// Index 0 a hard disk on C:, 1 a VQ drive on E:, 2 to 19 optical drives
// without letters, 20 a VQ drive on T:, 21 an optical drive whose letter is
// no CD-ROM drive.
std::vector<DeviceConfig> TwentyTwoDevices() {
  std::vector<DeviceConfig> d = {DeviceConfig::Disk('C'), DeviceConfig::SupportedDrive("62kb", 'E')};
  while (d.size() < 20) d.push_back(DeviceConfig::OtherDrive(0));
  d.push_back(DeviceConfig::SupportedDrive("64kd", 'T'));
  d.push_back(DeviceConfig::OtherDrive('Z'));
  return d;
}

class LockshimTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pxtest::BindAllOfPx(&px_));
    px_.Shutdown();  // PX.DLL takes this test's simulation file at its next call
  }
  void TearDown() override { px_.Shutdown(); }

  pxtest::SimulationFile sim_{TwentyTwoDevices()};
  PxFunctions px_{};
};

TEST_F(LockshimTest, ExportsUnderTheirExactNames) {
  for (const char* name : {"_REZ4IZAReserveDevice@8", "_REZ4IZAReleaseDevice@4", "_REZ4IZAStartFileSystemBlocking@4",
                           "_REZ4IZAEndFileSystemBlocking@4", "_REZ4IZADisableAutoInsert@0",
                           "_REZ4IZAEnableAutoInsert@0", "SessMgrGetSCSIIdForDriveLetter"})
    EXPECT_TRUE(Entry<void*>(name)) << name;
}

TEST_F(LockshimTest, DriveLetterLookup) {
  auto lookup = Entry<LookupFn>("SessMgrGetSCSIIdForDriveLetter");
  ASSERT_TRUE(lookup);
  struct Case {
    const char* name;
    int letter;
    BYTE hostAdapter, target, lun;
  } cases[] = {
      {"VQ drive at index 1", 'E', 0, 1, 0},
      {"target is the PX.DLL index, 20", 'T', 0, 20, 0},
      {"only the low byte counts", 0x7700 | 'T', 0, 20, 0},
      {"lower case is not found", 'e', 0xFF, 0xFF, 0xFF},
      {"a hard disk's letter is not found", 'C', 0xFF, 0xFF, 0xFF},
      {"letter of no CD-ROM drive", 'Z', 0xFF, 0xFF, 0xFF},
      {"letter of no device", 'Q', 0xFF, 0xFF, 0xFF},
  };
  for (const Case& c : cases) {
    BYTE address[3] = {0x11, 0x22, 0x33};
    EXPECT_NE(lookup(c.letter, &address[0], &address[1], &address[2]), 0) << c.name;
    EXPECT_EQ(address[0], c.hostAdapter) << c.name;
    EXPECT_EQ(address[1], c.target) << c.name;
    EXPECT_EQ(address[2], c.lun) << c.name;
  }
  EXPECT_NE(lookup('E', nullptr, nullptr, nullptr), 0) << "no output bytes given";
}

TEST_F(LockshimTest, ReservationIsGrantedWithoutTouchingTheBuffer) {
  auto reserve = Entry<ReserveFn>("_REZ4IZAReserveDevice@8");
  auto release = Entry<IdFn>("_REZ4IZAReleaseDevice@4");
  ASSERT_TRUE(reserve && release);
  char name[80] = "Atualiza\xE7\xE3o do firmware da Varquell-Ostrum";
  EXPECT_EQ(reserve(0x0100, name), 0);
  EXPECT_STREQ(name, "Atualiza\xE7\xE3o do firmware da Varquell-Ostrum");
  EXPECT_EQ(reserve(0x0100, nullptr), 0);
  EXPECT_EQ(release(0x0100), 0);
  EXPECT_TRUE(sim_.Trace().empty());
}

TEST_F(LockshimTest, FileSystemBlockingFollowsTheTarget) {
  auto start = Entry<IdFn>("_REZ4IZAStartFileSystemBlocking@4");
  auto end = Entry<IdFn>("_REZ4IZAEndFileSystemBlocking@4");
  ASSERT_TRUE(start && end);
  // Host adapter 0, target 20, logical unit 0.
  EXPECT_EQ(start(0x001400), px_.SetFileSystemBlocking(20, 1));
  EXPECT_TRUE(sim_.States()[20].fileSystemBlocking);
  EXPECT_FALSE(sim_.States()[1].fileSystemBlocking);
  EXPECT_EQ(end(0x001400), px_.SetFileSystemBlocking(20, 0));
  EXPECT_FALSE(sim_.States()[20].fileSystemBlocking);
  // PX.DLL's answer for a target it does not have is handed back unchanged.
  EXPECT_EQ(start(0x002A00), px_.SetFileSystemBlocking(42, 1));
}

TEST_F(LockshimTest, AutoInsertSwitchesEveryCdromDrive) {
  auto disable = Entry<AllFn>("_REZ4IZADisableAutoInsert@0");
  auto enable = Entry<AllFn>("_REZ4IZAEnableAutoInsert@0");
  ASSERT_TRUE(disable && enable);
  EXPECT_EQ(disable(), 26);
  std::vector<drivesim::DriveState> states = sim_.States();
  for (size_t i = 0; i < states.size(); ++i)
    EXPECT_EQ(states[i].fileSystemBlocking, i == 1 || i == 20) << "device " << i;
  EXPECT_EQ(enable(), 26);
  for (const drivesim::DriveState& state : sim_.States()) EXPECT_FALSE(state.fileSystemBlocking);
}

}  // namespace
