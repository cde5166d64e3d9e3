// VQASPI32.DLL loaded by its file name over the simulated drives. The library
// binds PX.DLL once per process, so each suite runs in a process of its own
// (see CMakeLists.txt) with its own simulation file.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "aspi.h"
#include "pxtest.h"
#include "wintest.h"

namespace {

using drivesim::DeviceConfig;
using drivesim::Fault;
using drivesim::FaultAction;

const uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x38, 0};
const uint8_t kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};
const uint8_t kStartStop[6] = {0x1B, 0, 0, 0, 0, 0};
const uint8_t kPrevent[6] = {0x1E, 0, 0, 0, 0, 0};

struct Passlink {
  DWORD(__cdecl* SupportInfo)();
  DWORD(__cdecl* Send)(void*);
};

Passlink Load() {
  Passlink p{wintest::Export<DWORD(__cdecl*)()>("VQASPI32.DLL", "GetASPI32SupportInfo"),
             wintest::Export<DWORD(__cdecl*)(void*)>("VQASPI32.DLL", "SendASPI32Command")};
  EXPECT_TRUE(p.SupportInfo && p.Send);
  return p;
}

// A suite whose process sees the simulation file of Devices().
class PasslinkSuite : public testing::Test {
 protected:
  static void Start(const std::vector<DeviceConfig>& devices, bool initialise) {
    sim_.reset(new pxtest::SimulationFile(devices));
    aspi_ = Load();
    if (initialise) supportInfo_ = aspi_.SupportInfo();
  }
  static void TearDownTestSuite() { sim_.reset(); }
  void SetUp() override { ASSERT_TRUE(sim_->ClearTrace()); }

  static SRB_ExecSCSICmd Exec(uint8_t target, const uint8_t* cdb, uint8_t cdbLength, uint8_t flags,
                              std::vector<uint8_t>* data, uint8_t senseLength = 18, uint8_t haId = 0) {
    SRB_ExecSCSICmd srb;
    std::memset(&srb, 0xEE, sizeof srb);
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = haId;
    srb.SRB_Flags = flags;
    srb.SRB_Target = target;
    srb.SRB_Lun = 0;
    srb.SRB_BufLen = data ? static_cast<uint32_t>(data->size()) : 0;
    srb.SRB_BufPointer = data ? data->data() : nullptr;
    srb.SRB_SenseLen = senseLength;
    srb.SRB_CDBLen = cdbLength;
    srb.SRB_PostProc = nullptr;
    std::memcpy(srb.CDBByte, cdb, cdbLength);
    return srb;
  }
  static SRB_GDEVBlock DeviceType(uint8_t haId, uint8_t target, uint8_t lun) {
    SRB_GDEVBlock srb{};
    srb.SRB_Cmd = SC_GET_DEV_TYPE;
    srb.SRB_HaId = haId;
    srb.SRB_Target = target;
    srb.SRB_Lun = lun;
    srb.SRB_DeviceType = 0x77;
    return srb;
  }

  static std::unique_ptr<pxtest::SimulationFile> sim_;
  static Passlink aspi_;
  static DWORD supportInfo_;
};

std::unique_ptr<pxtest::SimulationFile> PasslinkSuite::sim_;
Passlink PasslinkSuite::aspi_;
DWORD PasslinkSuite::supportInfo_;

// Index 0 a hard disk, 1 a VQ drive on E:, 2 an optical drive without a
// letter, 3 another vendor's drive on F: that times out and resets, 4 a VQ
// drive on G:, 5 an optical drive whose letter is no CD-ROM drive. Targets:
// 0 = index 1, 1 = index 3, 2 = index 4.
class PasslinkBusTest : public PasslinkSuite {
 protected:
  static void SetUpTestSuite() {
    std::vector<DeviceConfig> d = {DeviceConfig::Disk('C'), DeviceConfig::SupportedDrive("62kb", 'E'),
                                   DeviceConfig::OtherDrive(0), DeviceConfig::OtherDrive('F'),
                                   DeviceConfig::SupportedDrive("64kd", 'G'), DeviceConfig::OtherDrive('Z')};
    d[3].faults.push_back(Fault{{0x1B}, 1, FaultAction::Timeout, {}});
    d[3].faults.push_back(Fault{{0x1E}, 1, FaultAction::BusReset, {}});
    Start(d, true);
  }
};

TEST_F(PasslinkBusTest, SupportInfoReportsOneAdapter) {
  EXPECT_EQ(supportInfo_, 0x0101u);
  EXPECT_EQ(aspi_.SupportInfo(), 0x0101u);
}

TEST_F(PasslinkBusTest, HostAdapterInquiryOnAnyAdapter) {
  for (uint8_t haId : {0, 1}) {
    SRB_HAInquiry srb;
    std::memset(&srb, 0xAA, sizeof srb);
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = haId;
    EXPECT_EQ(aspi_.Send(&srb), SS_COMP) << int(haId);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);
    EXPECT_EQ(srb.HA_Count, 1);
    EXPECT_EQ(srb.HA_SCSI_ID, 15);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_ManagerId), 16), "VQ ASPI LIKE INT");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_Identifier), 16), "Host Adapter    ");
    const uint8_t unique[16] = {0, 0, 0, 16, 0, 0, 0xFF, 0xFF, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(std::memcmp(srb.HA_Unique, unique, 16), 0) << "HA_Unique bytes 8 to 15 are left alone";
  }
}

TEST_F(PasslinkBusTest, DeviceTypeChecks) {
  struct Case {
    const char* name;
    uint8_t haId, target, lun, status, type;
  } cases[] = {
      {"hard disk skipped: target 0 is the first CD-ROM drive", 0, 0, 0, SS_COMP, 5},
      {"last target", 0, 2, 0, SS_COMP, 5},
      {"past the last target", 0, 3, 0, SS_NO_DEVICE, 0x77},
      {"second adapter", 1, 0, 0, SS_INVALID_HA, 0x77},
      {"logical unit 1", 0, 0, 1, SS_NO_DEVICE, 0x77},
  };
  for (const Case& c : cases) {
    SRB_GDEVBlock srb = DeviceType(c.haId, c.target, c.lun);
    EXPECT_EQ(aspi_.Send(&srb), c.status) << c.name;
    EXPECT_EQ(srb.SRB_Status, c.status) << c.name;
    EXPECT_EQ(srb.SRB_DeviceType, c.type) << c.name;
  }
}

TEST_F(PasslinkBusTest, CommandsReachTheirDrivesInIndexOrder) {
  struct Case {
    const char* name;
    uint8_t target;
    uint8_t flags;
    const char* identity;
    size_t device;
  } cases[] = {
      {"target 0", 0, SRB_DIR_IN, "VQ      Zelvo Unit 62kb 1.00", 1},
      {"both direction flags read", 2, SRB_DIR_IN | SRB_DIR_OUT, "VQ      Zelvo Unit 64kd 1.00", 4},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sim_->ClearTrace());
    std::vector<uint8_t> data(56);
    SRB_ExecSCSICmd srb = Exec(c.target, kInquiry, 6, c.flags, &data);
    EXPECT_EQ(aspi_.Send(&srb), SS_COMP) << c.name;
    EXPECT_EQ(srb.SRB_HaStat, 0) << c.name;
    EXPECT_EQ(srb.SRB_TargStat, 0) << c.name;
    EXPECT_EQ(srb.SRB_BufLen, 56u) << c.name;
    EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 36), c.identity) << c.name;
    std::vector<drivesim::TraceEntry> trace = sim_->Trace();
    ASSERT_EQ(trace.size(), 1u) << c.name;
    EXPECT_EQ(trace[0].device, c.device) << c.name;
    EXPECT_EQ(trace[0].CdbHex(), "12 00 00 00 38 00") << c.name;
    EXPECT_EQ(trace[0].direction, drivesim::Direction::In) << c.name;
    EXPECT_EQ(trace[0].dataLength, 56u) << c.name;
  }
}

TEST_F(PasslinkBusTest, CheckConditionCopiesAtMost14SenseBytes) {
  struct Case {
    uint8_t senseLength;
    size_t copied;
  } cases[] = {{18, 14}, {14, 14}, {5, 5}, {0, 0}};
  for (const Case& c : cases) {
    SRB_ExecSCSICmd srb = Exec(0, kTestUnitReady, 6, SRB_DIR_OUT, nullptr, c.senseLength);
    EXPECT_EQ(aspi_.Send(&srb), SS_ERR);
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_TargStat, 2);
    EXPECT_EQ(srb.SRB_HaStat, 0);
    // No medium: 2/3A/00 in fixed format; what is not copied stays as it was.
    const struct {
      size_t at;
      uint8_t value;
    } fields[] = {{0, 0x70}, {2, 0x02}, {12, 0x3A}, {13, 0x00}};
    for (const auto& field : fields) {
      if (field.at < c.copied) {
        EXPECT_EQ(srb.SenseArea[field.at], field.value) << "byte " << field.at;
      }
    }
    for (size_t i = c.copied; i < 16; ++i)
      EXPECT_EQ(srb.SenseArea[i], 0xEE) << "sense length " << int(c.senseLength) << ", byte " << i;
  }
}

TEST_F(PasslinkBusTest, HostSideFailures) {
  struct Case {
    const uint8_t* cdb;
    uint8_t hostStatus;
  } cases[] = {{kStartStop, 0x09}, {kPrevent, 0x0E}};
  for (const Case& c : cases) {
    SRB_ExecSCSICmd srb = Exec(1, c.cdb, 6, SRB_DIR_OUT, nullptr);
    EXPECT_EQ(aspi_.Send(&srb), SS_ERR);
    EXPECT_EQ(srb.SRB_HaStat, c.hostStatus);
    EXPECT_EQ(srb.SRB_TargStat, 0);
  }
}

TEST_F(PasslinkBusTest, UnknownRequestCodes) {
  for (uint8_t code : {3, 4, 0xFF}) {
    SRB_ExecSCSICmd srb = Exec(0, kInquiry, 6, SRB_DIR_IN, nullptr);
    srb.SRB_Cmd = code;
    EXPECT_EQ(aspi_.Send(&srb), SS_INVALID_CMD) << int(code);
    EXPECT_EQ(srb.SRB_Status, SS_INVALID_CMD) << int(code);
  }
  EXPECT_TRUE(sim_->Trace().empty());
}

TEST_F(PasslinkBusTest, EventIsSetWheneverTheStatusIsStored) {
  struct Case {
    const char* name;
    uint8_t haId, target, flags, status;
    bool set;
  } cases[] = {
      {"completed", 0, 0, SRB_DIR_IN | SRB_EVENT_NOTIFY, SS_COMP, true},
      {"rejected: second adapter", 1, 0, SRB_DIR_IN | SRB_EVENT_NOTIFY, SS_INVALID_HA, true},
      {"rejected: no such target", 0, 9, SRB_DIR_IN | SRB_EVENT_NOTIFY, SS_NO_DEVICE, true},
      {"no notification asked", 0, 0, SRB_DIR_IN, SS_COMP, false},
  };
  for (const Case& c : cases) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<uint8_t> data(56);
    SRB_ExecSCSICmd srb = Exec(c.target, kInquiry, 6, c.flags, &data, 18, c.haId);
    srb.SRB_PostProc = event;
    EXPECT_EQ(aspi_.Send(&srb), c.status) << c.name;
    EXPECT_EQ(WaitForSingleObject(event, 0) == WAIT_OBJECT_0, c.set) << c.name;
    CloseHandle(event);
  }
}

TEST_F(PasslinkBusTest, MalformedBlocksNeverReachTheDrive) {
  std::vector<uint8_t> data(56);
  SRB_ExecSCSICmd longCommand = Exec(0, kInquiry, 6, SRB_DIR_IN, &data);
  longCommand.SRB_CDBLen = 17;
  EXPECT_EQ(aspi_.Send(&longCommand), SS_INVALID_SRB);
  SRB_ExecSCSICmd noBuffer = Exec(0, kInquiry, 6, SRB_DIR_IN, &data);
  noBuffer.SRB_BufPointer = nullptr;
  EXPECT_EQ(aspi_.Send(&noBuffer), SS_INVALID_SRB);
  EXPECT_EQ(aspi_.Send(nullptr), SS_INVALID_SRB);
  EXPECT_TRUE(sim_->Trace().empty());
}

class PasslinkUninitialisedTest : public PasslinkSuite {
 protected:
  static void SetUpTestSuite() { Start({DeviceConfig::SupportedDrive("62kb", 'E')}, false); }
};

TEST_F(PasslinkUninitialisedTest, AdapterAnswersButNoDeviceDoes) {
  SRB_HAInquiry inquiry{};
  inquiry.SRB_Cmd = SC_HA_INQUIRY;
  EXPECT_EQ(aspi_.Send(&inquiry), SS_COMP);
  EXPECT_EQ(inquiry.HA_Count, 1);
  SRB_GDEVBlock type = DeviceType(0, 0, 0);
  EXPECT_EQ(aspi_.Send(&type), SS_NO_DEVICE);
  std::vector<uint8_t> data(56);
  SRB_ExecSCSICmd exec = Exec(0, kInquiry, 6, SRB_DIR_IN, &data);
  EXPECT_EQ(aspi_.Send(&exec), SS_NO_DEVICE);
  EXPECT_TRUE(sim_->Trace().empty());
}

// Twenty CD-ROM drives: the table holds the first 16.
class PasslinkManyDrivesTest : public PasslinkSuite {
 protected:
  static void SetUpTestSuite() {
    std::vector<DeviceConfig> d;
    for (int i = 0; i < 20; ++i) {
      d.push_back(DeviceConfig::SupportedDrive("62kb", static_cast<char>('D' + i)));
      char serial[16];
      std::snprintf(serial, sizeof serial, "SN%08d", i);
      d.back().serial = serial;
    }
    Start(d, true);
  }
};

TEST_F(PasslinkManyDrivesTest, FirstSixteenArePresented) {
  EXPECT_EQ(supportInfo_, 0x0101u);
  SRB_GDEVBlock last = DeviceType(0, 15, 0);
  EXPECT_EQ(aspi_.Send(&last), SS_COMP);
  SRB_GDEVBlock beyond = DeviceType(0, 16, 0);
  EXPECT_EQ(aspi_.Send(&beyond), SS_NO_DEVICE);
  std::vector<uint8_t> data(56);
  SRB_ExecSCSICmd exec = Exec(15, kInquiry, 6, SRB_DIR_IN, &data);
  EXPECT_EQ(aspi_.Send(&exec), SS_COMP);
  EXPECT_EQ(std::string(data.begin() + 46, data.end()), "SN00000015");
}

class PasslinkStateFailsTest : public PasslinkSuite {
 protected:
  static void SetUpTestSuite() {
    std::vector<DeviceConfig> d = {DeviceConfig::SupportedDrive("62kb", 'E')};
    d[0].stateValue = -1;
    Start(d, true);
  }
};

TEST_F(PasslinkStateFailsTest, InitialisationFailsAndIsTriedAgain) {
  EXPECT_EQ(supportInfo_, 0xE300u);
  EXPECT_EQ(aspi_.SupportInfo(), 0xE300u);
  SRB_GDEVBlock type = DeviceType(0, 0, 0);
  EXPECT_EQ(aspi_.Send(&type), SS_NO_DEVICE);
}

}  // namespace
