// Standard commands, medium states, faults and power cycles of a simulated
// device, whatever its mechanism.
#include "downloads.h"

#include <gtest/gtest.h>

namespace {

using namespace drivesim;
using namespace testkit;

Step Six(std::vector<Byte> cdb, Direction dir = Direction::Out, size_t length = 0) {
  return {cdb, dir, std::vector<Byte>(length)};
}

Reply Exec(SimDevice& d, const Step& s, std::vector<Byte>* out = nullptr) {
  std::vector<Byte> data = s.data;
  Command cmd{s.cdb.data(), s.cdb.size(), s.direction, data.empty() ? nullptr : data.data(), data.size()};
  Reply r = d.Execute(cmd);
  if (out) *out = data;
  return r;
}

const Step kInquiry = Six({0x12, 0, 0, 0, 0x38, 0}, Direction::In, 56);
const Step kTestUnitReady = Six({0x00, 0, 0, 0, 0, 0});
const Step kLock = Six({0x1E, 0, 0, 0, 1, 0});
const Step kUnlock = Six({0x1E, 0, 0, 0, 0, 0});
const Step kEject = Six({0x1B, 0, 0, 0, 0x02, 0});

TEST(InquiryTest, FieldsAtTheirOffsets) {
  DeviceConfig c = DeviceConfig::SupportedDrive("61ka", 'D');
  c.serial = "AB12345678";
  SimDevice d(c);
  std::vector<Byte> data;
  ASSERT_EQ(Exec(d, kInquiry, &data).transferred, 56u);
  EXPECT_EQ(data[0], 0x05);
  EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 16), "VQ      ");
  EXPECT_EQ(std::string(data.begin() + 16, data.begin() + 32), "Zelvo Unit 61ka ");
  EXPECT_EQ(std::string(data.begin() + 32, data.begin() + 36), "1.00");
  EXPECT_EQ(std::string(data.begin() + 46, data.begin() + 56), "AB12345678");
}

TEST(InquiryTest, TransfersNoMoreThanAllocatedOrBuffered) {
  SimDevice d(DeviceConfig::Disk('C'));
  std::vector<Byte> data;
  EXPECT_EQ(Exec(d, Six({0x12, 0, 0, 0, 36, 0}, Direction::In, 56), &data).transferred, 36u);
  EXPECT_EQ(data[40], 0);
  EXPECT_EQ(Exec(d, Six({0x12, 0, 0, 0, 0xFF, 0}, Direction::In, 10)).transferred, 10u);
  EXPECT_EQ(data[0], 0x00);  // a disk's peripheral type
}

TEST(StandardCommandTest, MalformedBlocksAreRefused) {
  struct Case {
    const char* name;
    Step step;
    Sense sense;
  } cases[] = {
      {"unknown operation code", Six({0x2A, 0, 0, 0, 0, 0}), sense::kInvalidOpcode},
      {"vendor command of no mechanism", Six({0xE4, 0, 0, 0, 0, 0}), sense::kInvalidOpcode},
      {"INQUIRY asking for a page", Six({0x12, 1, 0x80, 0, 0x38, 0}, Direction::In, 56), sense::kInvalidFieldInCdb},
      {"INQUIRY padded with garbage", {{0x12, 0, 0, 0, 0x38, 0, 0, 1, 0, 0, 0, 0}, Direction::In, std::vector<Byte>(56)},
       sense::kInvalidFieldInCdb},
      {"INQUIRY answered into a data-out buffer", Six({0x12, 0, 0, 0, 0x38, 0}, Direction::Out, 56),
       sense::kInvalidFieldInCdb},
      {"TEST UNIT READY with a field set", Six({0x00, 0, 0, 1, 0, 0}), sense::kInvalidFieldInCdb},
      {"TEST UNIT READY with data", Six({0x00, 0, 0, 0, 0, 0}, Direction::Out, 4), sense::kParameterLengthError},
      {"PREVENT ALLOW with persistent bit", Six({0x1E, 0, 0, 0, 3, 0}), sense::kInvalidFieldInCdb},
      {"START STOP with power condition", Six({0x1B, 0, 0, 0, 0x12, 0}), sense::kInvalidFieldInCdb},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDevice d(DeviceConfig::OtherDrive('E'));
    Reply r = Exec(d, c.step);
    EXPECT_EQ(r.status, Status::CheckCondition);
    EXPECT_EQ(FormatSense(r.sense), FormatSense(c.sense));
  }
}

TEST(StandardCommandTest, RequestSenseReportsTheLastRefusalOnce) {
  SimDevice d(DeviceConfig::OtherDrive('E'));
  Exec(d, Six({0x2A, 0, 0, 0, 0, 0}));
  std::vector<Byte> data;
  const Step requestSense = Six({0x03, 0, 0, 0, 18, 0}, Direction::In, 18);
  ASSERT_EQ(Exec(d, requestSense, &data).transferred, 18u);
  EXPECT_EQ(data[0], 0x70);
  EXPECT_EQ(data[2], 0x05);
  EXPECT_EQ(data[12], 0x20);
  EXPECT_EQ(data[13], 0x00);
  Exec(d, requestSense, &data);
  EXPECT_EQ(data[2], 0x00);
}

TEST(MediumTest, TestUnitReadyAnswersTheMediumState) {
  struct Case {
    Medium medium;
    Status first;
    Sense sense;
  } cases[] = {
      {Medium::None, Status::CheckCondition, sense::kNoMedium},
      {Medium::Present, Status::Good, sense::kNone},
      {Medium::BecomingReady, Status::CheckCondition, sense::kBecomingReady},
      {Medium::Unusable, Status::CheckCondition, sense::kIncompatibleMedium},
      {Medium::Changed, Status::CheckCondition, sense::kMediumChanged},
  };
  for (const Case& c : cases) {
    DeviceConfig config = DeviceConfig::SupportedDrive("62kb", 'E');
    config.medium = c.medium;
    SimDevice d(config);
    Reply r = Exec(d, kTestUnitReady);
    EXPECT_EQ(r.status, c.first);
    EXPECT_EQ(r.sense, c.sense);
  }
}

TEST(MediumTest, ChangedMediumIsReportedOnceThenPresent) {
  DeviceConfig config = DeviceConfig::OtherDrive('E');
  config.medium = Medium::Changed;
  SimDevice d(config);
  EXPECT_EQ(Exec(d, kTestUnitReady).sense, sense::kMediumChanged);
  EXPECT_EQ(Exec(d, kTestUnitReady).status, Status::Good);
}

TEST(MediumTest, NotReadyThenMediumForTheFirstTestUnitReadysOnly) {
  DeviceConfig config = DeviceConfig::OtherDrive('E');
  config.notReadyTurs = 1;
  config.mediumForTurs = 2;
  SimDevice d(config);
  EXPECT_EQ(Exec(d, kTestUnitReady).sense, sense::kBecomingReady);
  EXPECT_EQ(Exec(d, kTestUnitReady).status, Status::Good);
  EXPECT_EQ(Exec(d, kTestUnitReady).status, Status::Good);
  EXPECT_EQ(Exec(d, kTestUnitReady).sense, sense::kNoMedium);
}

TEST(TrayTest, EjectRefusedWhileLockedAndPowerCycleUnlocks) {
  SimDevice d(DeviceConfig::SupportedDrive("64kd", 'E'));
  ASSERT_EQ(Exec(d, kLock).status, Status::Good);
  EXPECT_EQ(Exec(d, kEject).sense, sense::kRemovalPrevented);
  d.PowerCycle();
  EXPECT_FALSE(d.State().trayLocked);
  EXPECT_EQ(Exec(d, kEject).status, Status::Good);
  Exec(d, kLock);
  Exec(d, kUnlock);
  EXPECT_EQ(Exec(d, kEject).status, Status::Good);
}

TEST(FaultTest, NthMatchingCommandIsRefusedWithTheGivenSense) {
  DeviceConfig config = DeviceConfig::SupportedDrive("61ka", 'E');
  config.faults.push_back({{0x12}, 2, FaultAction::Refuse, {0x3, 0x11, 0x00}});
  config.faults.push_back({{0x00, 0x00, 0x00}, 1, FaultAction::Timeout, {}});
  config.faults.push_back({{0x1E}, 1, FaultAction::BusReset, {}});
  SimDevice d(config);
  EXPECT_EQ(Exec(d, kInquiry).status, Status::Good);
  EXPECT_EQ(Exec(d, kInquiry).sense, (Sense{0x3, 0x11, 0x00}));
  EXPECT_EQ(Exec(d, kInquiry).status, Status::Good);
  EXPECT_EQ(Exec(d, kTestUnitReady).status, Status::NoAnswer);
  EXPECT_EQ(Exec(d, kTestUnitReady).sense, sense::kNoMedium);
  EXPECT_EQ(Exec(d, kLock).status, Status::HostFailure);
}

TEST(FaultTest, FaultOnAPageEndsTheDownload) {
  DeviceConfig config = DeviceConfig::SupportedDrive("61ka", 'E');
  config.faults.push_back({{0xE2}, 5, FaultAction::Refuse, {0x4, 0xF1, 0x00}});
  SimDevice d(config);
  Sequence seq = FennSequence(RicohImageFile("Zelvo Unit 61ka ", "2.00"));
  RunResult r = RunSequence(d, seq);
  EXPECT_EQ(r.failedStep, 5u);
  EXPECT_EQ(r.reply.sense, (Sense{0x4, 0xF1, 0x00}));
  EXPECT_EQ(Send(d, seq[6]).sense, sense::kSequenceError);
}

TEST(PowerCycleTest, IncompleteDownloadKeepsOldFirmwareOrKillsTheDrive) {
  for (FailedDownload mode : {FailedDownload::KeepOld, FailedDownload::Dead}) {
    DeviceConfig config = DeviceConfig::SupportedDrive("61ka", 'E');
    config.failedDownload = mode;
    SimDevice d(config);
    Sequence seq = FennSequence(RicohImageFile("Zelvo Unit 61ka ", "2.00"));
    seq.resize(10);
    ASSERT_EQ(RunSequence(d, seq).failedStep, seq.size());
    d.PowerCycle();
    EXPECT_EQ(InquiryRevision(d), mode == FailedDownload::KeepOld ? "1.00" : "<no answer>");
  }
}

TEST(PowerCycleTest, DownloadOpenedButNoDataKeepsTheDriveAlive) {
  DeviceConfig config = DeviceConfig::SupportedDrive("61ka", 'E');
  config.failedDownload = FailedDownload::Dead;
  SimDevice d(config);
  Sequence seq = FennSequence(RicohImageFile("Zelvo Unit 61ka ", "2.00"));
  ASSERT_EQ(Send(d, seq[0]).status, Status::Good);
  d.PowerCycle();
  EXPECT_EQ(InquiryRevision(d), "1.00");
}

TEST(PowerCycleTest, PowerCycleInTheMiddleEndsTheDownload) {
  SimDevice d(DeviceConfig::SupportedDrive("62kb", 'E'));
  Sequence seq = TarnSequence(NecImageFile("Zelvo Unit 62kb ", "2.00"));
  ASSERT_EQ(RunSequence(d, Sequence(seq.begin(), seq.begin() + 5)).failedStep, 5u);
  d.PowerCycle();
  EXPECT_EQ(Send(d, seq[5]).sense, sense::kSequenceError);
}

TEST(PowerCycleTest, NewDownloadDiscardsTheStagedImage) {
  SimDevice d(DeviceConfig::SupportedDrive("61ka", 'E'));
  ASSERT_EQ(RunSequence(d, FennSequence(RicohImageFile("Zelvo Unit 61ka ", "2.00"))).failedStep, 131u);
  for (int i = 0; i < 3; ++i) Exec(d, kTestUnitReady);
  Sequence second = FennSequence(RicohImageFile("Zelvo Unit 61ka ", "3.00"));
  second.resize(3);
  RunSequence(d, second);
  d.PowerCycle();
  EXPECT_EQ(InquiryRevision(d), "1.00");
}

}  // namespace
