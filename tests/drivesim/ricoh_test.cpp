// The Ricoh download command set as a Fenn drive ("Zelvo Unit 61ka ",
// "Zelvo Unit 63kc ") sees it, with its busy period after erase and write.
#include "downloads.h"

#include <gtest/gtest.h>

namespace {

using namespace drivesim;
using namespace testkit;

const Step kTestUnitReadyEx{{0x00, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0}, Direction::Out, {}};

class FennDownload : public ::testing::Test {
 protected:
  DeviceConfig config = DeviceConfig::SupportedDrive("63kc", 'G');
  std::vector<Byte> file = RicohImageFile("Zelvo Unit 63kc ", "3.05");
  Sequence seq = FennSequence(file);
};

TEST_F(FennDownload, BusyAfterEraseAndWriteThenStaged) {
  config.busyPolls = 4;
  SimDevice drive(config);
  RunResult r = RunSequence(drive, seq);
  ASSERT_EQ(r.failedStep, seq.size()) << FormatSense(r.reply.sense);
  const std::vector<Sense> polls = {sense::kBusyErasing, sense::kBusyErasing, sense::kBusyWriting,
                                    sense::kBusyWriting, sense::kNoMedium};
  for (const Sense& expected : polls) EXPECT_EQ(FormatSense(Send(drive, kTestUnitReadyEx).sense), FormatSense(expected));
  EXPECT_EQ(InquiryRevision(drive), "1.00");
  drive.PowerCycle();
  EXPECT_EQ(InquiryRevision(drive), "3.05");
}

TEST_F(FennDownload, BusyDriveRefusesOtherCommandsButAnswersInquiry) {
  SimDevice drive(config);
  ASSERT_EQ(RunSequence(drive, seq).failedStep, seq.size());
  EXPECT_EQ(Send(drive, Step{{0x1E, 0, 0, 0, 1, 0}, Direction::Out, {}}).sense, sense::kBusyErasing);
  EXPECT_EQ(InquiryRevision(drive), "1.00");
}

TEST_F(FennDownload, NoBusyPeriodWhenConfiguredSo) {
  config.busyPolls = 0;
  SimDevice drive(config);
  ASSERT_EQ(RunSequence(drive, seq).failedStep, seq.size());
  EXPECT_EQ(Send(drive, kTestUnitReadyEx).sense, sense::kNoMedium);
}

TEST_F(FennDownload, WrongSequencesAreRefused) {
  const size_t e0 = FindStep(seq, {0xE0});
  const size_t e1 = FindStep(seq, {0xE1});
  const std::vector<WrongSequence> cases = {
      {"E2 before E4", [](Sequence& s) { s.erase(s.begin()); return size_t{0}; }, sense::kSequenceError},
      {"E4 without its flag", [](Sequence& s) { s[0].cdb[9] = 0x00; return size_t{0}; }, sense::kInvalidFieldInCdb},
      {"E4 twice", [](Sequence& s) { s.insert(s.begin() + 2, s[0]); return size_t{2}; }, sense::kSequenceError},
      {"wrong block length field", [](Sequence& s) { s[5].cdb[6] = 0x10; return size_t{5}; },
       sense::kInvalidFieldInCdb},
      {"short block", [](Sequence& s) { s[5].data.resize(4096); return size_t{5}; }, sense::kParameterLengthError},
      {"block with an address", [](Sequence& s) { s[5].cdb[3] = 0x01; return size_t{5}; },
       sense::kInvalidFieldInCdb},
      {"129 blocks", [=](Sequence& s) { s.insert(s.begin() + e0, s[1]); return e0; }, sense::kSequenceError},
      {"E0 after 127 blocks", [=](Sequence& s) { s.erase(s.begin() + e0 - 1); return e0 - 1; },
       sense::kSequenceError},
      {"E0 with a value", [=](Sequence& s) { s[e0].cdb[3] = 0x01; return e0; }, sense::kInvalidFieldInCdb},
      {"E1 without E0", [=](Sequence& s) { s.erase(s.begin() + e0); return e0; }, sense::kSequenceError},
      {"E1 without its flag", [=](Sequence& s) { s[e1].cdb[9] = 0x00; return e1; }, sense::kInvalidFieldInCdb},
      {"image without identity",
       [=](Sequence& s) {
         for (size_t i = 1; i < e0; ++i) std::fill(s[i].data.begin(), s[i].data.end(), 0x20);
         return e1;
       },
       sense::kInvalidFieldInData},
      {"image of another model",
       [](Sequence& s) {
         s = FennSequence(RicohImageFile("Zelvo Unit 61ka ", "3.05"));
         return s.size() - 1;
       },
       sense::kInvalidFieldInData},
      {"foreign command set",
       [](Sequence& s) {
         s.insert(s.begin() + 1, Step{{0xFA, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, Direction::Out,
                                      std::vector<Byte>(16384)});
         return size_t{1};
       },
       sense::kInvalidOpcode},
  };
  ExpectRefusals(config, seq, cases);
}

}  // namespace
