// The three device libraries over PX.DLL and the simulated drives: one
// computer with a hard disk first, then a mix of drives.
#include "aspi.h"
#include "pxtest.h"
#include "wintest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using namespace drivesim;

using wintest::Export;

// 0 disk C:, 1 Tarn E:, 2 another vendor's drive F:, 3 Fenn without a
// letter, 4 Quill G:.
std::vector<DeviceConfig> Computer() {
  std::vector<DeviceConfig> d = {DeviceConfig::Disk('C'), DeviceConfig::SupportedDrive("62kb", 'E'),
                                 DeviceConfig::OtherDrive('F'), DeviceConfig::SupportedDrive("61ka", 0),
                                 DeviceConfig::SupportedDrive("65ke", 'G')};
  d[1].serial = "AB12345678";
  d[1].revision = "1.02";
  d[3].serial = "12ABCDEFGH";
  return d;
}

class DeviceLibraries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim = new pxtest::SimulationFile(Computer()); }
  static void TearDownTestSuite() { delete sim; }
  static pxtest::SimulationFile* sim;
};
pxtest::SimulationFile* DeviceLibraries::sim = nullptr;

TEST_F(DeviceLibraries, UnitprobeReportsTheVqDrivesInIndexOrder) {
  auto initialize = Export<int(__cdecl*)()>("unitprobe.dll", "CDWRITER_Initialize");
  auto getInfo = Export<int(__cdecl*)(unsigned char*, unsigned)>("unitprobe.dll", "CDWRITER_GetInfo");
  auto terminate = Export<int(__cdecl*)()>("unitprobe.dll", "CDWRITER_Terminate");
  ASSERT_TRUE(initialize && getInfo && terminate);
  ASSERT_EQ(initialize(), 1);
  unsigned char records[640] = {};
  ASSERT_EQ(getInfo(records, sizeof records), 3);
  const std::string first(reinterpret_cast<char*>(records), 40);
  EXPECT_EQ(first.substr(0, 34), "VQ      Zelvo Unit 62kb AB12345678");
  EXPECT_EQ(first.substr(34, 1), "E");
  EXPECT_EQ(first.substr(36, 4), "1.02");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(records) + 40, 35),
            "VQ      Zelvo Unit 61ka " + std::string(10, ' ') + "?");  // serial starting with digits, no letter
  EXPECT_EQ(std::string(reinterpret_cast<char*>(records) + 80 + 8, 16), "Zelvo Unit 65ke ");
  terminate();
}

TEST_F(DeviceLibraries, PasslinkPresentsTheCdromLettersAsTargets) {
  auto supportInfo = Export<DWORD(__cdecl*)()>("VQASPI32.DLL", "GetASPI32SupportInfo");
  auto send = Export<DWORD(__cdecl*)(void*)>("VQASPI32.DLL", "SendASPI32Command");
  ASSERT_TRUE(supportInfo && send);
  ASSERT_EQ(supportInfo(), 0x0101u);

  const char* products[] = {"Zelvo Unit 62kb ", "DVD-RW DRIVE    ", "Zelvo Unit 65ke "};
  for (uint8_t target = 0; target < 3; ++target) {
    unsigned char inquiry[56] = {};
    SRB_ExecSCSICmd srb = {};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Target = target;
    srb.SRB_Flags = SRB_DIR_IN;
    srb.SRB_BufLen = sizeof inquiry;
    srb.SRB_BufPointer = inquiry;
    srb.SRB_CDBLen = 6;
    const unsigned char cdb[6] = {0x12, 0, 0, 0, 56, 0};
    std::memcpy(srb.CDBByte, cdb, 6);
    ASSERT_EQ(send(&srb), SS_COMP) << int(target);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry) + 16, 16), products[target]);
  }

  SRB_ExecSCSICmd tur = {};
  tur.SRB_Cmd = SC_EXEC_SCSI_CMD;
  tur.SRB_Flags = SRB_DIR_OUT;
  tur.SRB_SenseLen = SENSE_LEN;
  tur.SRB_CDBLen = 6;
  EXPECT_EQ(send(&tur), SS_ERR);
  EXPECT_EQ(tur.SRB_TargStat, 2);
  EXPECT_EQ(tur.SenseArea[2] & 0x0F, 2);
  EXPECT_EQ(tur.SenseArea[12], 0x3A);
}

TEST_F(DeviceLibraries, LockshimFindsLettersAndBlocksTheCdromDrives) {
  auto lookup = Export<int(__cdecl*)(int, BYTE*, BYTE*, BYTE*)>("VQCDR4.DLL", "SessMgrGetSCSIIdForDriveLetter");
  auto disable = Export<int(__stdcall*)()>("VQCDR4.DLL", "_REZ4IZADisableAutoInsert@0");
  auto enable = Export<int(__stdcall*)()>("VQCDR4.DLL", "_REZ4IZAEnableAutoInsert@0");
  ASSERT_TRUE(lookup && disable && enable);
  BYTE ha = 0, target = 0, lun = 0;
  ASSERT_NE(lookup('G', &ha, &target, &lun), 0);
  EXPECT_EQ(target, 4);
  ASSERT_NE(lookup('C', &ha, &target, &lun), 0);
  EXPECT_EQ(target, 0xFF);

  EXPECT_EQ(disable(), 26);
  const bool blocked[] = {false, true, true, false, true};
  std::vector<DriveState> states = sim->States();
  for (size_t i = 0; i < states.size(); ++i) EXPECT_EQ(states[i].fileSystemBlocking, blocked[i]) << i;
  EXPECT_EQ(enable(), 26);
  for (const DriveState& s : sim->States()) EXPECT_FALSE(s.fileSystemBlocking);
}

}  // namespace
