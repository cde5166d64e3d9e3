#include "inquirystring.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(InquiryStringTest, SetSplitsTheJoinedText) {
  struct Case {
    const char* name;
    std::string text;
    int vendorLength, productLength, revisionLength;
    const char* whole;
    const char* vendor;
    const char* product;
    const char* revision;
  } cases[] = {
      {"full 28 characters", "VQ      CDRW 8432       1.02", 8, 16, 4, "VQ      CDRW 8432       1.02", "VQ      ",
       "CDRW 8432       ", "1.02"},
      {"trailing blanks of every field kept", "VQ      A               1   ", 8, 16, 4,
       "VQ      A               1   ", "VQ      ", "A               ", "1   "},
      // A field cut short by a zero byte: revision from the end, the rest shifts.
      {"20 characters", "VQ      CDRW84321.02", 8, 16, 4, "VQ      CDRW84321.02", "VQ      ", "CDRW84321.02",
       "1.02"},
      {"NUL ends the whole text", std::string("VQ      AB\0CD", 13), 8, 16, 4, "VQ      AB", "VQ      ", "AB",
       "  AB"},
      {"text shorter than the vendor", "VQ", 8, 16, 4, "VQ", "VQ", "", "VQ"},
      {"only the first n characters", "VQ      CDRW 8432       1.02 and more", 8, 16, 4,
       "VQ      CDRW 8432       1.02", "VQ      ", "CDRW 8432       ", "1.02"},
      {"lengths 0, 0, 0", "VQ      CDRW 8432       1.02", 0, 0, 0, "", "", "", ""},
      {"negative sum", "VQ      CDRW 8432       1.02", 8, -30, 4, "", "", "", ""},
      {"negative vendor length", "VQ      CDRW", -2, 8, 0, "VQ    ", "", "VQ    ", ""},
      {"sum beyond int", "VQ      CDRW 8432       1.02", INT_MAX, INT_MAX, INT_MAX, "VQ      CDRW 8432       1.02",
       "VQ      CDRW 8432       1.02", "", "VQ      CDRW 8432       1.02"},
  };
  for (const Case& c : cases) {
    CInquiryString identity;
    identity.Set("stale text, replaced", 8, 8, 4);
    identity.Set(c.text.c_str(), c.vendorLength, c.productLength, c.revisionLength);
    EXPECT_EQ(identity.GetText(), c.whole) << c.name;
    EXPECT_EQ(identity.GetVendor(), c.vendor) << c.name;
    EXPECT_EQ(identity.GetProduct(), c.product) << c.name;
    EXPECT_EQ(identity.GetRevision(), c.revision) << c.name;
    EXPECT_EQ(identity.IsEmpty(), std::string(c.whole).empty()) << c.name;
  }
}

TEST(InquiryStringTest, SameAsComparesEveryByteOfTheWholeText) {
  CInquiryString drive, image, blank;
  drive.Set("VQ      CDRW 8432       1.02", 8, 16, 4);
  image.Set("VQ      CDRW 8432       1.02", 8, 16, 4);
  EXPECT_TRUE(drive.IsSameAs(image));
  // One trailing blank of the product less.
  image.Set("VQ      CDRW 8432      1.02", 8, 16, 4);
  EXPECT_FALSE(drive.IsSameAs(image));
  EXPECT_FALSE(drive.IsSameAs(blank));
  drive.Clear();
  EXPECT_TRUE(drive.IsEmpty());
  EXPECT_TRUE(drive.IsSameAs(blank));
}

}  // namespace
