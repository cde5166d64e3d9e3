// PX.DLL under Wine: loaded by name, bound by ordinal, over a simulation file
// that a second process shares.
#include "downloads.h"
#include "pxtest.h"
#include "wintest.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace drivesim;
using pxtest::SimulationFile;

const unsigned char kInquiry[6] = {0x12, 0, 0, 0, 0x38, 0};
const unsigned char kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};
const unsigned char kLock[6] = {0x1E, 0, 0, 0, 1, 0};
const unsigned char kUnknown[10] = {0x2A};
const int kTimeout = PX_COMMAND_TIMEOUT_MS;

const int kSenseLength = 16;

PxFunctions& Px() {
  static PxFunctions px;
  static const bool bound = pxtest::BindAllOfPx(&px);
  EXPECT_TRUE(bound);
  return px;
}

std::vector<DeviceConfig> FourDevices() {
  std::vector<DeviceConfig> d = {DeviceConfig::Disk('C'), DeviceConfig::SupportedDrive("62kb", 'E'),
                                 DeviceConfig::SupportedDrive("61ka", 0), DeviceConfig::OtherDrive('F')};
  d[1].serial = "AB12345678";
  d[2].stateValue = -1;
  d[2].busyPolls = 1;
  d[3].serial = "12ABCDEFGH";
  d[3].delays.push_back({0x12, 300});
  return d;
}

std::string Client(const std::string& args) {
  std::string output;
  const int code = wintest::RunWithOutput(wintest::BinDir() + "px_client.exe " + args, &output);
  EXPECT_EQ(code, 0) << output;
  return output;
}

class PxBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(px.ExecuteCommand);
    px.Shutdown();  // the next call binds the new simulation file
    handle = px.OpenHandle();
    ASSERT_GT(handle, 0);
  }
  void TearDown() override {
    px.CloseHandle(handle);
    px.Shutdown();
  }

  int Exec(int device, const unsigned char* cdb, int cdbLength, std::vector<unsigned char>* data = nullptr,
           int direction = PX_DIR_NONE, int timeout = kTimeout) {
    return px.ExecuteCommand(handle, device, cdbLength, cdb, data ? static_cast<int>(data->size()) : 0,
                             data ? data->data() : nullptr, direction, timeout);
  }

  std::string SenseOf(int device) {
    unsigned char sense[kSenseLength] = {};
    int out = 0;
    if (px.GetSense(handle, device, &out, sense) < 0) return "<none>";
    EXPECT_EQ(sense[0], 0x70);
    return FormatSense({static_cast<Byte>(sense[2] & 0x0F), sense[12], sense[13]});
  }

  SimulationFile sim{FourDevices()};
  PxFunctions& px = Px();
  int handle = 0;
};

TEST(PxLibraryTest, ExportsByOrdinalOnly) {
  PxFunctions& px = Px();
  ASSERT_TRUE(px.ExecuteCommand);
  const HMODULE module = GetModuleHandleA("PX.DLL");
  ASSERT_TRUE(module);
  EXPECT_EQ(GetProcAddress(module, "PxCheckVersion"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "PxExecuteCommand"), nullptr);
  EXPECT_EQ(px.CheckVersion(2), 2);
  EXPECT_LT(px.CheckVersion(3), 0);
}

TEST_F(PxBus, DevicesAreTheirIndexes) {
  ASSERT_EQ(px.GetDeviceCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(px.GetDevice(i), i);
  EXPECT_LT(px.GetDevice(4), 0);
  EXPECT_LT(px.GetDevice(-1), 0);
  const int types[] = {0, 5, 5, 5}, letters[] = {'C', 'E', -1, 'F'}, states[] = {6, 6, -1, 6};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(px.GetDeviceType(i), types[i]) << i;
    EXPECT_EQ(px.GetDriveLetter(i), letters[i]) << i;
    EXPECT_EQ(px.GetDeviceState(i, 0), states[i]) << i;
  }
  EXPECT_LT(px.GetDeviceType(4), 0);
  EXPECT_LT(px.GetDriveLetter(4), 0);
  EXPECT_LT(px.GetDeviceState(4, 0), 0);
}

TEST_F(PxBus, InquiryThroughTheExecuteOrdinal) {
  std::vector<unsigned char> data(56);
  ASSERT_EQ(Exec(1, kInquiry, 6, &data, PX_DIR_IN), PX_COMPLETED);
  EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 36), "VQ      Zelvo Unit 62kb 1.00");
  EXPECT_EQ(std::string(data.begin() + 46, data.begin() + 56), "AB12345678");
  std::vector<TraceEntry> trace = sim.Trace();
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_EQ(trace[0].device, 1u);
  EXPECT_EQ(trace[0].CdbHex(), "12 00 00 00 38 00");
  EXPECT_EQ(trace[0].direction, Direction::In);
  EXPECT_EQ(trace[0].dataLength, 56u);
}

TEST_F(PxBus, RefusedCommandsLeaveTheirSense) {
  EXPECT_EQ(Exec(1, kTestUnitReady, 6), PX_CHECK_CONDITION);
  EXPECT_EQ(SenseOf(1), "2/3A/00");
  EXPECT_EQ(Exec(1, kUnknown, 10), PX_CHECK_CONDITION);
  EXPECT_EQ(SenseOf(1), "5/20/00");
  EXPECT_EQ(Exec(0, kTestUnitReady, 6), PX_COMPLETED);
  EXPECT_EQ(SenseOf(0), "0/00/00");
}

TEST_F(PxBus, BadRequestsAreHostFailures) {
  std::vector<unsigned char> data(56);
  EXPECT_EQ(px.ExecuteCommand(handle + 100, 1, 6, kInquiry, 56, data.data(), PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 9, 6, kInquiry, 56, data.data(), PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 1, 0, kInquiry, 56, data.data(), PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 1, 17, kInquiry, 56, data.data(), PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 1, 6, nullptr, 56, data.data(), PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 1, 6, kInquiry, 56, nullptr, PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 1, 6, kInquiry, -1, data.data(), PX_DIR_IN, kTimeout), PX_BUS_RESET);
  EXPECT_EQ(px.ExecuteCommand(handle, 1, 6, kInquiry, 56, data.data(), 3, kTimeout), PX_BUS_RESET);
  unsigned char sense[kSenseLength];
  int out = 0;
  EXPECT_LT(px.GetSense(handle + 100, 1, &out, sense), 0);
  EXPECT_LT(px.GetSense(handle, 9, &out, sense), 0);
  EXPECT_LT(px.GetSense(handle, 1, &out, nullptr), 0);
}

TEST_F(PxBus, SlowCommandPastItsTimeOut) {
  std::vector<unsigned char> data(56);
  const DWORD start = GetTickCount();
  EXPECT_EQ(Exec(3, kInquiry, 6, &data, PX_DIR_IN, 100), PX_TIMEOUT);
  EXPECT_EQ(Exec(3, kInquiry, 6, &data, PX_DIR_IN, 1000), PX_COMPLETED);
  EXPECT_GE(GetTickCount() - start, 350u);
}

TEST_F(PxBus, FileSystemBlockingIsKept) {
  EXPECT_EQ(px.SetFileSystemBlocking(1, 1), 1);
  EXPECT_TRUE(sim.States()[1].fileSystemBlocking);
  EXPECT_EQ(px.SetFileSystemBlocking(1, 0), 1);
  EXPECT_FALSE(sim.States()[1].fileSystemBlocking);
  EXPECT_LT(px.SetFileSystemBlocking(20, 1), 0);
}

TEST_F(PxBus, SecondProcessSeesTheSameDrives) {
  EXPECT_EQ(Client("count"), "count=4\n");
  ASSERT_EQ(Exec(1, kLock, 6), PX_COMPLETED);
  EXPECT_EQ(Client("exec 1 1 1B 00 00 00 02 00"), "result=-10 sense=5/53/02 data=\n");
  ASSERT_TRUE(sim.PowerCycle());
  EXPECT_EQ(Client("exec 1 1 1B 00 00 00 02 00"), "result=1 sense=0/00/00 data=\n");
}

TEST_F(PxBus, DownloadHereRunsThereAfterPowerCycle) {
  for (const testkit::Step& s : testkit::FennSequence(testkit::RicohImageFile("Zelvo Unit 61ka ", "2.10"))) {
    std::vector<unsigned char> data = s.data;
    ASSERT_EQ(Exec(2, s.cdb.data(), static_cast<int>(s.cdb.size()), &data, static_cast<int>(s.direction)),
              PX_COMPLETED);
  }
  const unsigned char testUnitReadyEx[12] = {0x00, 0, 0, 0, 0, 0x80};
  EXPECT_EQ(Exec(2, testUnitReadyEx, 12), PX_CHECK_CONDITION);
  EXPECT_EQ(SenseOf(2), "2/F7/00");
  ASSERT_TRUE(sim.PowerCycle());
  const std::string reply = Client("exec 2 1 12 00 00 00 24 00");
  EXPECT_EQ(reply.substr(0, 26), "result=1 sense=0/00/00 dat");
  // Revision: INQUIRY bytes 32 to 35, as hex in the client's output.
  EXPECT_EQ(reply.substr(reply.find("data=") + 5 + 64, 8), "322E3130");
}

TEST_F(PxBus, TwoProcessesAtOnceLoseNoCommand) {
  std::thread a([] { Client("exec 0 100 00 00 00 00 00 00"); });
  std::thread b([] { Client("exec 0 100 00 00 00 00 00 00"); });
  a.join();
  b.join();
  EXPECT_EQ(sim.States()[0].turCount, 200u);
  EXPECT_EQ(sim.Trace().size(), 200u);
}

class PxFiles : public ::testing::Test {
 protected:
  void SetUp() override { Px().Shutdown(); }
  void TearDown() override { Px().Shutdown(); }
};

TEST_F(PxFiles, BadOrMissingFileGivesNoDevices) {
  const char* texts[] = {"[device]\nmodel = 62kb\ncolour = red\n", "[device]\nletter = EE\n", "garbage\n"};
  for (const char* text : texts) {
    SimulationFile sim{std::string(text)};
    Px().Shutdown();
    EXPECT_EQ(Px().GetDeviceCount(), 0) << text;
    EXPECT_LT(Px().GetDevice(0), 0);
    EXPECT_GT(Px().OpenHandle(), 0);
  }
  SetEnvironmentVariableA("PXSIM_FILE", "C:\\no\\such\\pxsim.ini");
  Px().Shutdown();
  EXPECT_EQ(Px().GetDeviceCount(), 0);
  SetEnvironmentVariableA("PXSIM_FILE", nullptr);
}

TEST_F(PxFiles, MoreDevicesThanTheBusHoldsKeepsTheFirst) {
  std::vector<DeviceConfig> many(40, DeviceConfig::Disk(0));
  many[20] = DeviceConfig::SupportedDrive("63kc", 'K');
  SimulationFile sim(many);
  EXPECT_EQ(Px().GetDeviceCount(), static_cast<int>(kMaxDevices));
  EXPECT_EQ(Px().GetDevice(20), 20);
  EXPECT_EQ(Px().GetDriveLetter(20), 'K');
}

TEST_F(PxFiles, SimulationFileBesidePxDll) {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  const std::string folder = std::string(base) + "pxsim-beside-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string bin = wintest::BinDir();
  ASSERT_TRUE(CopyFileA((bin + "PX.DLL").c_str(), (folder + "\\PX.DLL").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((bin + "px_client.exe").c_str(), (folder + "\\px_client.exe").c_str(), FALSE));
  ASSERT_TRUE(WriteSimFile(folder + "\\pxsim.ini", {DeviceConfig::Disk('C'), DeviceConfig::OtherDrive('D')}));
  std::string output;
  EXPECT_EQ(wintest::RunWithOutput(folder + "\\px_client.exe count", &output), 0);
  EXPECT_EQ(output, "count=2\n");
  for (const char* f : {"PX.DLL", "px_client.exe", "pxsim.ini", "pxsim.state", "pxsim.lock", "pxsim.trace"})
    DeleteFileA((folder + "\\" + f).c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
