// The NEC download command set as a Tarn drive ("Zelvo Unit 62kb ") sees it.
#include "downloads.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace drivesim;
using namespace testkit;

const char kTarnProduct[] = "Zelvo Unit 62kb ";

class TarnDownload : public ::testing::Test {
 protected:
  DeviceConfig config = DeviceConfig::SupportedDrive("62kb", 'E');
  std::vector<Byte> file = NecImageFile(kTarnProduct, "2.00");
  Sequence seq = TarnSequence(file);
};

TEST_F(TarnDownload, CompleteImageRunsOnlyAfterPowerCycle) {
  SimDevice drive(config);
  RunResult r = RunSequence(drive, seq);
  ASSERT_EQ(r.failedStep, seq.size()) << FormatSense(r.reply.sense);
  EXPECT_EQ(drive.State().download, Download::Staged);
  EXPECT_EQ(InquiryRevision(drive), "1.00");
  drive.PowerCycle();
  EXPECT_EQ(InquiryRevision(drive), "2.00");
  EXPECT_EQ(drive.State().download, Download::None);
}

// The order the drive accepted above, command by command.
TEST_F(TarnDownload, AcceptedOrderIsTheWizards) {
  std::string order;
  for (const Step& s : seq) {
    char b[16];
    std::snprintf(b, sizeof b, s.cdb[0] == 0xCC && (s.cdb[1] & 0x0F) == 0x01 ? "%02X %02X %02X," : "%02X %02X,",
                  s.cdb[0], s.cdb[1], s.cdb[2]);
    order += b;
  }
  auto times = [](int n, const char* item) {
    std::string r;
    while (n--) r += item;
    return r;
  };
  EXPECT_EQ(order, "CC 01 01," + times(18, "CB 01,") + "CC 04," + times(11, "CB 04,") + times(11, "CB 02,") +
                       "CC 01 00,CC 11 01," + times(7, "CB 11,") + "CC 14,CB 18," + times(7, "CB 12,") + "CC 11 00,");
}

TEST_F(TarnDownload, WrongSequencesAreRefused) {
  const size_t region2Start = FindStep(seq, {0xCC, 0x11, 0x01});
  const std::vector<WrongSequence> cases = {
      {"page before download mode", [](Sequence& s) { s.erase(s.begin()); return size_t{0}; },
       sense::kSequenceError},
      {"region 2 before region 1",
       [=](Sequence& s) { s.erase(s.begin(), s.begin() + region2Start); return size_t{0}; }, sense::kSequenceError},
      {"wrong mode key", [](Sequence& s) { s[0].cdb[7] = 0x31; return size_t{0}; }, sense::kInvalidFieldInCdb},
      {"unknown mode function", [](Sequence& s) { s[0].cdb[2] = 0x02; return size_t{0}; },
       sense::kInvalidFieldInCdb},
      {"download mode twice", [](Sequence& s) { s.insert(s.begin() + 1, s[0]); return size_t{1}; },
       sense::kSequenceError},
      {"wrong page address", [](Sequence& s) { s[4].cdb[4] = 0x90; return size_t{4}; }, sense::kAddressOutOfRange},
      {"page out of order", [](Sequence& s) { std::swap(s[2], s[3]); return size_t{2}; }, sense::kSequenceError},
      {"page with the region 2 flag", [](Sequence& s) { s[1].cdb[1] = 0x11; return size_t{1}; },
       sense::kSequenceError},
      {"wrong length in units", [](Sequence& s) { s[4].cdb[8] = 0x04; return size_t{4}; },
       sense::kInvalidFieldInCdb},
      {"transfer shorter than the page", [](Sequence& s) { s[4].data.resize(4096); return size_t{4}; },
       sense::kParameterLengthError},
      {"page sent as data in", [](Sequence& s) { s[1].direction = Direction::In; return size_t{1}; },
       sense::kParameterLengthError},
      {"reserved byte set", [](Sequence& s) { s[1].cdb[11] = 0x01; return size_t{1}; }, sense::kInvalidFieldInCdb},
      {"wrong region 1 checksum", [](Sequence& s) { s[19].cdb[3] ^= 0x01; return size_t{19}; },
       sense::kChecksumMismatch},
      {"data changed after summing", [](Sequence& s) { s[7].data[100] ^= 0x01; return size_t{19}; },
       sense::kChecksumMismatch},
      {"checksum missing", [](Sequence& s) { s.erase(s.begin() + 19); return size_t{19}; }, sense::kSequenceError},
      {"erase of an unlisted block", [](Sequence& s) { s[20].cdb[8] = 0x03; return size_t{20}; },
       sense::kInvalidFieldInCdb},
      {"erase out of list order", [](Sequence& s) { std::swap(s[20], s[21]); return size_t{20}; },
       sense::kSequenceError},
      {"program before erase",
       [](Sequence& s) { s.erase(s.begin() + 20, s.begin() + 31); return size_t{20}; }, sense::kSequenceError},
      {"program of a wrong block", [](Sequence& s) { s[31].cdb[7] = 0x40; return size_t{31}; },
       sense::kSequenceError},
      {"mode off before programming",
       [](Sequence& s) { s.erase(s.begin() + 31, s.begin() + 42); return size_t{31}; }, sense::kSequenceError},
      {"region 2 erase carrying a mask",
       [](Sequence& s) {
         size_t i = FindStep(s, {0xCB, 0x18});
         s[i].cdb[8] = 0x01;
         return i;
       },
       sense::kInvalidFieldInCdb},
      {"wrong region 2 checksum",
       [](Sequence& s) {
         size_t i = FindStep(s, {0xCC, 0x14});
         s[i].cdb[2] ^= 0x80;
         return i;
       },
       sense::kChecksumMismatch},
      {"region 2 mode off missing its last block",
       [](Sequence& s) {
         s.erase(s.end() - 2);
         return s.size() - 1;
       },
       sense::kSequenceError},
      {"foreign command set",
       [](Sequence& s) {
         s.insert(s.begin(), Step{{0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0}, Direction::Out, {}});
         return size_t{0};
       },
       sense::kInvalidOpcode},
      {"six-byte block", [](Sequence& s) { s[0].cdb.resize(6); return size_t{0}; }, sense::kInvalidFieldInCdb},
      {"image of another model",
       [](Sequence& s) {
         s = TarnSequence(NecImageFile("Zelvo Unit 63kc ", "2.00"));
         return s.size() - 1;
       },
       sense::kInvalidFieldInData},
  };
  ExpectRefusals(config, seq, cases);
}

TEST_F(TarnDownload, RefusalEndsTheDownload) {
  SimDevice drive(config);
  Sequence spoilt = seq;
  spoilt[5].cdb[4] ^= 0x01;
  EXPECT_EQ(RunSequence(drive, spoilt).failedStep, 5u);
  // The rest of a correct sequence no longer fits: the drive is out of download mode.
  Sequence rest(seq.begin() + 5, seq.end());
  EXPECT_EQ(RunSequence(drive, rest).reply.sense, sense::kSequenceError);
  EXPECT_EQ(drive.State().download, Download::Incomplete);
}

}  // namespace
