// unitprobe.dll loaded by its file name over the simulated drives.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pxtest.h"
#include "wintest.h"

namespace {

using drivesim::DeviceConfig;
using drivesim::Fault;
using drivesim::FaultAction;

struct Unitprobe {
  int(__cdecl* Initialize)();
  int(__cdecl* GetInfo)(unsigned char*, unsigned);
  int(__cdecl* Terminate)();
};

Unitprobe Load() {
  return {wintest::Export<int(__cdecl*)()>("unitprobe.dll", "CDWRITER_Initialize"),
          wintest::Export<int(__cdecl*)(unsigned char*, unsigned)>("unitprobe.dll", "CDWRITER_GetInfo"),
          wintest::Export<int(__cdecl*)()>("unitprobe.dll", "CDWRITER_Terminate")};
}

std::string Record(const char* product, const char* serial, char letter, const char* revision) {
  return std::string("VQ      ") + product + serial + letter + '\0' + revision;
}

// Index 0 a hard disk; 1 a VQ drive with a serial number; 2 another vendor's
// drive; 3 a VQ drive without a letter whose serial starts with a digit; 4 a
// VQ drive that refuses its first four INQUIRYs; 5 a VQ drive of type 4 whose serial has
// a blank second; 6 a VQ drive of type 7 with a lower-case serial.
std::vector<DeviceConfig> SevenDevices() {
  std::vector<DeviceConfig> d = {DeviceConfig::Disk('C'),
                                 DeviceConfig::SupportedDrive("62kb", 'E'),
                                 DeviceConfig::OtherDrive('F'),
                                 DeviceConfig::SupportedDrive("61ka", 0),
                                 DeviceConfig::SupportedDrive("64kd", 'G'),
                                 DeviceConfig::SupportedDrive("65ke", 'H'),
                                 DeviceConfig::SupportedDrive("63kc", 'I')};
  d[1].serial = "AB12345678";
  d[2].serial = "CD12345678";
  d[3].serial = "1ABCDEFGHI";
  for (uint32_t n = 1; n <= 4; ++n) d[4].faults.push_back(Fault{{0x12}, n, FaultAction::Refuse, {0x5, 0x24, 0x00}});
  d[5].typeCode = 4;
  d[5].serial = "A BCDEFGHI";
  d[6].typeCode = 7;
  d[6].serial = "xyZZ000001";
  return d;
}

const std::string kRecords[] = {
    Record("Zelvo Unit 62kb ", "AB12345678", 'E', "1.00"),
    Record("Zelvo Unit 61ka ", "          ", '?', "1.00"),
    Record("Zelvo Unit 65ke ", "          ", 'H', "1.00"),
    Record("Zelvo Unit 63kc ", "xyZZ000001", 'I', "1.00"),
};

class UnitprobeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pxtest::BindAllOfPx(&px_));
    px_.Shutdown();  // PX.DLL takes this test's simulation file at its next call
    ASSERT_TRUE(probe_.Initialize && probe_.GetInfo && probe_.Terminate);
  }
  void TearDown() override { probe_.Terminate(); }

  std::vector<std::string> Records(unsigned length) {
    std::vector<unsigned char> buffer(length + 8, 0xEE);
    int count = probe_.GetInfo(buffer.data(), length);
    std::vector<std::string> records;
    for (int i = 0; i < count; ++i) records.emplace_back(reinterpret_cast<char*>(&buffer[i * 40]), 40);
    for (size_t i = length; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << "written past the buffer at " << i;
    return records;
  }

  pxtest::SimulationFile sim_{SevenDevices()};
  PxFunctions px_{};
  Unitprobe probe_ = Load();
};

TEST_F(UnitprobeTest, ReportsTheMakersDrives) {
  ASSERT_EQ(probe_.Initialize(), 1);
  std::vector<std::string> records = Records(640);
  ASSERT_EQ(records.size(), 4u);
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i], kRecords[i]) << "record " << i;

  // Only optical types are asked, each with a 56-byte INQUIRY.
  std::vector<size_t> asked;
  for (const drivesim::TraceEntry& entry : sim_.Trace()) {
    EXPECT_EQ(entry.CdbHex(), "12 00 00 00 38 00");
    EXPECT_EQ(entry.direction, drivesim::Direction::In);
    EXPECT_EQ(entry.dataLength, 56u);
    asked.push_back(entry.device);
  }
  EXPECT_EQ(asked, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(UnitprobeTest, BufferCapacity) {
  ASSERT_EQ(probe_.Initialize(), 1);
  struct Case {
    const char* name;
    unsigned length;
    size_t records;
    size_t lastAsked;  // 0: no device asked at all
  } cases[] = {
      {"39 bytes: no record, no device asked", 39, 0, 0},
      {"80 bytes: the first two", 80, 2, 3},
      {"119 bytes: still two", 119, 2, 3},
      {"room for more than there are", 4000, 4, 6},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sim_.ClearTrace());
    std::vector<std::string> records = Records(c.length);
    ASSERT_EQ(records.size(), c.records) << c.name;
    for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i], kRecords[i]) << c.name;
    std::vector<drivesim::TraceEntry> trace = sim_.Trace();
    EXPECT_EQ(trace.empty() ? 0 : trace.back().device, c.lastAsked) << c.name;
  }
  EXPECT_EQ(probe_.GetInfo(nullptr, 640), 0);
}

TEST_F(UnitprobeTest, FailedStateQueryEndsTheWholeCall) {
  std::vector<DeviceConfig> d = {DeviceConfig::SupportedDrive("62kb", 'E'), DeviceConfig::SupportedDrive("61ka", 'F')};
  d[1].stateValue = -1;
  pxtest::SimulationFile failing(d);
  px_.Shutdown();
  ASSERT_EQ(probe_.Initialize(), 1);
  EXPECT_EQ(Records(640).size(), 0u) << "0 even after a record was written";
}

TEST_F(UnitprobeTest, NothingBeforeInitializeOrAfterTerminate) {
  EXPECT_EQ(Records(640).size(), 0u);
  ASSERT_EQ(probe_.Initialize(), 1);
  EXPECT_EQ(Records(640).size(), 4u);
  probe_.Terminate();
  EXPECT_EQ(Records(640).size(), 0u);
  ASSERT_EQ(probe_.Initialize(), 1) << "initialised again after Terminate";
  EXPECT_EQ(Records(640).size(), 4u);
}

}  // namespace
