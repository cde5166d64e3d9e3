// The simulation file: what it accepts, and the clear message for what not.
#include "bus.h"
#include "simfile.h"

#include <gtest/gtest.h>

namespace {

using namespace drivesim;

TEST(SimFileTest, ReadsDevicesInIndexOrder) {
  const char* text =
      "; a disk first, then two drives\n"
      "[device]\nkind = disk\nletter = C\n\n"
      "[device]\nmodel = 62kb\nletter = E\nrevision = 1.02\nserial = \"SN 1234567\"\nmedium = present\n"
      "refuse = CB 18 @2 5/24/00\nrefuse = 12 @1 timeout\ndelay = 12 250\nfailed_download = dead\n\n"
      "[Device]\nkind = drive\nproduct = \"Zelvo Unit 62kbX\"\nletter = none\nstate = -1\ntype = 4\n";
  SimFile f;
  std::string error;
  ASSERT_TRUE(ParseSimFile(text, &f, &error)) << error;
  ASSERT_EQ(f.devices.size(), 3u);
  EXPECT_EQ(f.devices[0].kind, Kind::Disk);
  EXPECT_EQ(f.devices[0].typeCode, 0);
  EXPECT_EQ(f.devices[0].letter, 'C');
  const DeviceConfig& tarn = f.devices[1];
  EXPECT_EQ(tarn.mechanism, Mechanism::Nec);
  EXPECT_EQ(tarn.vendor, "VQ      ");
  EXPECT_EQ(tarn.product, "Zelvo Unit 62kb ");
  EXPECT_EQ(tarn.revision, "1.02");
  EXPECT_EQ(tarn.serial, "SN 1234567");
  EXPECT_EQ(tarn.medium, Medium::Present);
  EXPECT_EQ(tarn.failedDownload, FailedDownload::Dead);
  ASSERT_EQ(tarn.faults.size(), 2u);
  EXPECT_EQ(tarn.faults[0].match, (std::vector<Byte>{0xCB, 0x18}));
  EXPECT_EQ(tarn.faults[0].occurrence, 2u);
  EXPECT_EQ(tarn.faults[0].sense, sense::kInvalidFieldInCdb);
  EXPECT_EQ(tarn.faults[1].action, FaultAction::Timeout);
  ASSERT_EQ(tarn.delays.size(), 1u);
  EXPECT_EQ(tarn.delays[0].milliseconds, 250u);
  const DeviceConfig& other = f.devices[2];
  EXPECT_EQ(other.mechanism, Mechanism::None);
  EXPECT_EQ(other.product, "Zelvo Unit 62kbX");
  EXPECT_EQ(other.letter, 0);
  EXPECT_EQ(other.stateValue, -1);
  EXPECT_EQ(other.typeCode, 4);
}

TEST(SimFileTest, BadFilesNameTheLineAndTheFault) {
  struct Case {
    const char* name;
    const char* text;
    const char* message;
  } cases[] = {
      {"key outside a section", "model = 62kb\n", "line 1: 'model' outside a [device] section"},
      {"unknown section", "[drive]\n", "line 1: unknown section [drive]"},
      {"unknown key", "[device]\ncolour = red\n", "line 2: unknown key 'colour'"},
      {"unknown model", "[device]\nmodel = 66kf\n", "line 2: unknown model '66kf'"},
      {"disk with a model", "[device]\nkind = disk\nmodel = 62kb\n", "line 3: a disk has no model"},
      {"bad kind", "[device]\nkind = tape\n", "line 2: kind must be drive or disk"},
      {"product too long", "[device]\nproduct = Zelvo Unit 62kb long\n", "line 2: at most 16 printable"},
      {"revision too long", "[device]\nrevision = 1.100\n", "line 2: at most 4 printable"},
      {"two letters", "[device]\nletter = EF\n", "line 2: letter must be one letter or none"},
      {"type out of range", "[device]\ntype = 32\n", "line 2: a number from 0 to 31"},
      {"state not a number", "[device]\nstate = bad\n", "line 2: a number from"},
      {"bad medium", "[device]\nmedium = full\n", "line 2: medium must be"},
      {"fault without occurrence", "[device]\nrefuse = CB 18 5/24/00\n", "line 2: refuse expects"},
      {"fault with a bad sense", "[device]\nrefuse = CB @1 5/2400\n", "line 2: refuse expects"},
      {"fault at occurrence 0", "[device]\nrefuse = CB @0 5/24/00\n", "line 2: refuse expects"},
      {"bad delay", "[device]\ndelay = 12\n", "line 2: delay expects"},
      {"key given twice", "[device]\nletter = E\nletter = F\n", "given twice"},
      {"neither key nor section", "[device]\nmodel 62kb\n", "line 2: expected 'key = value'"},
      {"unclosed section", "[device\n", "line 1: section name without ']'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimFile f;
    std::string error;
    EXPECT_FALSE(ParseSimFile(c.text, &f, &error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(SimFileTest, MissingOrUnreadableFileIsReported) {
  for (const char* path : {"/nonexistent/pxsim.ini", "/tmp"}) {
    SimFile f;
    std::string error;
    EXPECT_FALSE(LoadSimFile(path, &f, &error));
    EXPECT_EQ(error, std::string("cannot read the simulation file ") + path);
  }
}

TEST(SimFileTest, MoreDevicesThanTheBusHoldsKeepsTheFirst) {
  std::string text;
  for (size_t i = 0; i < kMaxDevices + 3; ++i) text += "[device]\nkind = disk\n";
  SimFile f;
  std::string error;
  ASSERT_TRUE(ParseSimFile(text, &f, &error));
  EXPECT_EQ(f.devices.size(), kMaxDevices);
  ASSERT_EQ(f.warnings.size(), 1u);
  EXPECT_NE(f.warnings[0].find("35 devices"), std::string::npos);
}

TEST(SimFileTest, WrittenFileReadsBackTheSame) {
  std::vector<DeviceConfig> devices = {DeviceConfig::Disk('C'), DeviceConfig::SupportedDrive("65ke", 'E'),
                                       DeviceConfig::OtherDrive(0)};
  devices[1].serial = "AB12345678";
  devices[1].faults.push_back({{0xFA, 0x00}, 3, FaultAction::Refuse, {0x3, 0x0C, 0x00}});
  devices[1].faults.push_back({{0x12}, 1, FaultAction::BusReset, {}});
  devices[1].delays.push_back({0x00, 40});
  devices[1].medium = Medium::BecomingReady;
  devices[1].mediumForTurs = 2;
  devices[1].notReadyTurs = 4;
  devices[2].stateValue = -5;
  devices[2].revision = "A   ";
  SimFile f;
  std::string error;
  ASSERT_TRUE(ParseSimFile(FormatSimFile(devices), &f, &error)) << error;
  ASSERT_EQ(f.devices.size(), 3u);
  EXPECT_EQ(FormatSimFile(f.devices), FormatSimFile(devices));
  EXPECT_EQ(f.devices[1].mechanism, Mechanism::PhilipsPrepared);
  EXPECT_EQ(f.devices[2].revision, "A   ");
}

TEST(SimFileTest, Shorthands) {
  struct Case {
    const char* text;
    bool ok;
    Kind kind;
    Mechanism mechanism;
    char letter;
  } cases[] = {
      {"62kb:E", true, Kind::Drive, Mechanism::Nec, 'E'}, {"disk:C", true, Kind::Disk, Mechanism::None, 'C'},
      {"drive", true, Kind::Drive, Mechanism::None, 0},   {"61ka", true, Kind::Drive, Mechanism::Ricoh, 0},
      {"62kb:", false, Kind::Drive, Mechanism::None, 0},  {"tape:E", false, Kind::Drive, Mechanism::None, 0},
      {"62kb:EF", false, Kind::Drive, Mechanism::None, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DeviceConfig d;
    std::string error;
    ASSERT_EQ(ParseDeviceShorthand(c.text, &d, &error), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.mechanism, c.mechanism);
    EXPECT_EQ(d.letter, c.letter);
  }
}

}  // namespace
