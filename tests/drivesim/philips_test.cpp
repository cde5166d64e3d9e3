// The Philips download command set as Quill ("Zelvo Unit 65ke ", needs the FD
// preparation) and Pike ("Zelvo Unit 64kd ", does not know it) drives see it.
#include "downloads.h"

#include <gtest/gtest.h>

namespace {

using namespace drivesim;
using namespace testkit;

struct PhilipsModel {
  const char* model;
  const char* product;
  bool withPrepare;
};

void PrintTo(const PhilipsModel& m, std::ostream* os) { *os << m.model; }

const PhilipsModel kQuill{"65ke", "Zelvo Unit 65ke ", true};
const PhilipsModel kPike{"64kd", "Zelvo Unit 64kd ", false};

class PhilipsDownload : public ::testing::TestWithParam<PhilipsModel> {
 protected:
  DeviceConfig config = DeviceConfig::SupportedDrive(GetParam().model, 'F');
  std::vector<Byte> file = CvtImageFile(GetParam().product, "1.10");
  Sequence seq = PhilipsSequence(file, GetParam().withPrepare);
  size_t firstPage = FindStep(seq, {0xFA});
};

TEST_P(PhilipsDownload, CompleteImageRunsOnlyAfterPowerCycle) {
  SimDevice drive(config);
  RunResult r = RunSequence(drive, seq);
  ASSERT_EQ(r.failedStep, seq.size()) << FormatSense(r.reply.sense);
  EXPECT_EQ(InquiryRevision(drive), "1.00");
  drive.PowerCycle();
  EXPECT_EQ(InquiryRevision(drive), "1.10");
}

TEST_P(PhilipsDownload, WrongSequencesAreRefused) {
  const size_t page0 = firstPage;
  const size_t last = seq.size() - 1;
  std::vector<WrongSequence> cases = {
      {"download without eject", [](Sequence& s) { s.erase(s.begin() + 1); return size_t{1}; },
       sense::kSequenceError},
      {"eject while the tray is locked",
       [](Sequence& s) { s[0].cdb[4] = 0x01; return size_t{1}; }, sense::kRemovalPrevented},
      {"page out of order", [=](Sequence& s) { std::swap(s[page0 + 1], s[page0 + 2]); return page0 + 1; },
       sense::kSequenceError},
      {"page number beyond 127", [=](Sequence& s) { s[page0 + 3].cdb[5] = 0x80; return page0 + 3; },
       sense::kAddressOutOfRange},
      {"sums not repeated in bytes 7 to 10", [=](Sequence& s) { s[page0].cdb[9] ^= 0x01; return page0; },
       sense::kInvalidFieldInCdb},
      {"byte 6 not 01", [=](Sequence& s) { s[page0].cdb[6] = 0x00; return page0; }, sense::kInvalidFieldInCdb},
      {"sums change between pages",
       [=](Sequence& s) {
         s[page0 + 5].cdb[2] ^= 0x01;
         s[page0 + 5].cdb[8] ^= 0x01;
         return page0 + 5;
       },
       sense::kInvalidFieldInCdb},
      {"short page", [=](Sequence& s) { s[page0 + 2].data.resize(8192); return page0 + 2; },
       sense::kParameterLengthError},
      {"wrong byte sum",
       [=](Sequence& s) {
         for (size_t i = page0; i < s.size(); ++i) s[i].cdb[2] ^= 0x01, s[i].cdb[8] ^= 0x01;
         return last;
       },
       sense::kChecksumMismatch},
      {"wrong rotating sum",
       [=](Sequence& s) {
         for (size_t i = page0; i < s.size(); ++i) s[i].cdb[4] ^= 0x01, s[i].cdb[10] ^= 0x01;
         return last;
       },
       sense::kChecksumMismatch},
      {"data changed after summing", [=](Sequence& s) { s[page0 + 9].data[7] ^= 0x20; return last; },
       sense::kChecksumMismatch},
      {"page 126 missing", [=](Sequence& s) { s.erase(s.end() - 2); return last - 1; }, sense::kSequenceError},
      {"foreign command set",
       [=](Sequence& s) {
         s.insert(s.begin() + page0, Step{{0xCC, 0x01, 0x01, 0, 0x4B, 0x31, 0x31, 0x30, 0, 0, 0, 0}, Direction::Out, {}});
         return page0;
       },
       sense::kInvalidOpcode},
      {"image of another model",
       [=](Sequence& s) {
         s = PhilipsSequence(CvtImageFile("Zelvo Unit 61ka ", "1.10"), GetParam().withPrepare);
         return s.size() - 1;
       },
       sense::kInvalidFieldInData},
  };
  if (GetParam().withPrepare) {
    cases.push_back({"pages without preparation", [=](Sequence& s) { s.erase(s.begin() + 2); return page0 - 1; },
                     sense::kSequenceError});
    cases.push_back({"preparation with a wrong key", [](Sequence& s) { s[2].cdb[3] = 0x46; return size_t{2}; },
                     sense::kInvalidFieldInCdb});
    cases.push_back({"preparation before eject", [](Sequence& s) { std::swap(s[1], s[2]); return size_t{1}; },
                     sense::kSequenceError});
  } else {
    cases.push_back({"preparation on a drive that does not know it",
                     [](Sequence& s) {
                       s.insert(s.begin() + 2, Step{{0xFD, 0xF1, 0x42, 0x45, 0x4E, 0x51, 0, 0, 0, 0, 0, 0},
                                                    Direction::In, {}});
                       return size_t{2};
                     },
                     sense::kInvalidOpcode});
  }
  ExpectRefusals(config, seq, cases);
}

INSTANTIATE_TEST_SUITE_P(Models, PhilipsDownload, ::testing::Values(kQuill, kPike),
                         [](const ::testing::TestParamInfo<PhilipsModel>& info) {
                           return std::string(info.param.withPrepare ? "Quill" : "Pike");
                         });

}  // namespace
