// The settings module against Wine's real registry, and the command line.
#include <gtest/gtest.h>

#include <string>

#include "flashwiz.h"
#include "logfile.h"
#include "vqreg.h"
#include "wintest.h"

namespace {

const char kTestKey[] = "SOFTWARE\\Varquell-Ostrum\\VQ Firmware Update\\settings-test";

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    wintest::DeleteKey(HKEY_LOCAL_MACHINE, kTestKey);
    app_.m_strRegistryKey = kTestKey;
    dir_ = wintest::MakeTempDir("settings");
    ASSERT_TRUE(app_.m_pLog->Open(dir_ + "status.txt", TRUE, FALSE));
  }
  void TearDown() override { wintest::DeleteKey(HKEY_LOCAL_MACHINE, kTestKey); }

  // The log lines after the start line; message 84 spreads over two lines
  // because the system text ends in a line break.
  std::string LogAfterStart() {
    std::string log = wintest::ReadFileBytes(dir_ + "status.txt");
    return log.substr(log.find("\r\n") + 2);
  }

  CFlashwizApp app_;
  std::string dir_;
};

TEST_F(SettingsTest, ValuesRoundTrip) {
  ASSERT_TRUE(PutDriveInformation(3, 1, "CDRW-4012       ", "1.07"));
  ASSERT_TRUE(PutVQDriveCount(2));
  ASSERT_TRUE(PutFirmwareFileName("C:\\fw\\image.cvt"));
  ASSERT_TRUE(PutWorkingDirectory("C:\\Programas\\VQ"));

  std::string text;
  EXPECT_TRUE(GetInquiryProductID(text));
  EXPECT_EQ(text, "CDRW-4012       ");
  EXPECT_TRUE(GetInquiryProductRevision(text));
  EXPECT_EQ(text, "1.07");
  EXPECT_TRUE(GetFirmwareFileName(text));
  EXPECT_EQ(text, "C:\\fw\\image.cvt");
  EXPECT_TRUE(GetWorkingDirectory(text));
  EXPECT_EQ(text, "C:\\Programas\\VQ");
  EXPECT_EQ(GetSelectedDriveIndex(), 3);
  EXPECT_EQ(GetExternalValue(), 1);
  EXPECT_EQ(GetVQDriveCount(), 2);

  DWORD number = 0;
  ASSERT_TRUE(wintest::GetNumber(HKEY_LOCAL_MACHINE, kTestKey, "Device ID", number)) << "stored as REG_DWORD";
  EXPECT_EQ(LogAfterStart(), "");
}

TEST_F(SettingsTest, MissingKeyGivesTheFailureResults) {
  std::string text = "stale";
  EXPECT_FALSE(GetWorkingDirectory(text));
  EXPECT_EQ(text, "");
  text = "stale";
  EXPECT_FALSE(GetFirmwareFileName(text));
  EXPECT_EQ(text, "");
  EXPECT_EQ(GetVQDriveCount(), -1);
  EXPECT_EQ(GetSelectedDriveIndex(), -1);
  EXPECT_EQ(GetExternalValue(), 0);

  std::string log = LogAfterStart();
  EXPECT_EQ(log.find("GetWorkingDirectory(): "), 0u) << log;
  EXPECT_NE(log.find(std::string(" Chave: ") + kTestKey + "\r\n"), std::string::npos) << log;
  for (const char* operation : {"GetFirmwareFileName()", "GetVQDriveCount()", "GetSelectedDriveIndex()",
                                "GetExternalValue()"})
    EXPECT_NE(log.find(operation), std::string::npos) << operation;
}

TEST_F(SettingsTest, MissingValueNamesTheValue) {
  ASSERT_TRUE(PutVQDriveCount(1));
  EXPECT_EQ(GetSelectedDriveIndex(), -1);
  EXPECT_NE(LogAfterStart().find(" Chave: Device ID\r\n"), std::string::npos) << LogAfterStart();
}

TEST_F(SettingsTest, TextLengthLimits) {
  struct Case {
    const char* name;
    size_t stored;
    bool readable;
  } cases[] = {
      {"259 characters fit the buffer with the terminator", 259, true},
      {"260 characters leave no room for the terminator", 260, false},
      {"300 characters are a failed read", 300, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(wintest::SetText(HKEY_LOCAL_MACHINE, kTestKey, "ProgramDir", std::string(c.stored, 'd')));
    std::string dir = "stale";
    EXPECT_EQ(GetWorkingDirectory(dir), c.readable ? TRUE : FALSE) << c.name;
    EXPECT_EQ(dir, c.readable ? std::string(c.stored, 'd') : std::string()) << c.name;
  }
}

TEST_F(SettingsTest, SetterTakesAtMost260Characters) {
  ASSERT_TRUE(PutFirmwareFileName(std::string(5000, 'f')));
  std::string stored;
  ASSERT_TRUE(wintest::GetText(HKEY_LOCAL_MACHINE, kTestKey, "Image File", stored));
  EXPECT_EQ(stored, std::string(260, 'f'));
}

// Replaces the program's import of RegSetValueExA: the settings module and
// this test are one image, so they share the import slot.
extern "C" void* g_importRegSetValueExA asm("__imp__RegSetValueExA@24");
using RegSetValueExAFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
RegSetValueExAFn g_realRegSetValueExA;

LONG WINAPI RefuseExternal(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  if (name && lstrcmpA(name, "External") == 0) return ERROR_ACCESS_DENIED;
  return g_realRegSetValueExA(key, name, reserved, type, data, size);
}

void PatchImport(void** slot, void* function) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
  *slot = function;
  VirtualProtect(slot, sizeof *slot, old, &old);
}

TEST_F(SettingsTest, DriveInformationGoesOnAfterAFailedValue) {
  g_realRegSetValueExA = reinterpret_cast<RegSetValueExAFn>(g_importRegSetValueExA);
  PatchImport(&g_importRegSetValueExA, reinterpret_cast<void*>(RefuseExternal));
  BOOL result = PutDriveInformation(1, 1, "DVDRW-2000      ", "2.10");
  PatchImport(&g_importRegSetValueExA, reinterpret_cast<void*>(g_realRegSetValueExA));

  EXPECT_FALSE(result);
  DWORD index = 99;
  EXPECT_TRUE(wintest::GetNumber(HKEY_LOCAL_MACHINE, kTestKey, "Device ID", index));
  EXPECT_EQ(index, 1u);
  std::string text;
  EXPECT_FALSE(wintest::GetNumber(HKEY_LOCAL_MACHINE, kTestKey, "External", index));
  EXPECT_TRUE(wintest::GetText(HKEY_LOCAL_MACHINE, kTestKey, "Product ID", text));
  EXPECT_EQ(text, "DVDRW-2000      ");
  EXPECT_TRUE(wintest::GetText(HKEY_LOCAL_MACHINE, kTestKey, "Revision", text));
  EXPECT_EQ(text, "2.10");

  std::string log = LogAfterStart();
  EXPECT_EQ(log.find("PutDriveInformation(): "), 0u) << log;
  EXPECT_NE(log.find(" Chave: External\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("PutDriveInformation()", 1), std::string::npos) << "one report only: " << log;
}

TEST(ProgramDirectoryTest, AcceptsOnlyAFolderHoldingTheProgram) {
  std::string dir = wintest::MakeTempDir("programdir");
  CFlashwizApp app;
  app.m_strExeName = "flashwiz";
  ASSERT_TRUE(wintest::WriteFileBytes(dir + "flashwiz.exe", "MZ"));
  std::string withoutBackslash = dir.substr(0, dir.size() - 1);
  struct Case {
    const char* name;
    std::string dir;
    BOOL accepted;
  } cases[] = {
      {"empty", "", FALSE},
      {"with backslash", dir, TRUE},
      {"without backslash", withoutBackslash, TRUE},
      {"another folder", withoutBackslash + "\\sub", FALSE},
  };
  for (const Case& c : cases) EXPECT_EQ(app.IsProgramDirectory(c.dir), c.accepted) << c.name;
  wintest::RemoveTree(dir);
}

TEST(CommandLineTest, CheckSwitchAndImageFile) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    BOOL check;
    const char* file;
  } cases[] = {
      {"no arguments", {}, FALSE, ""},
      {"check switch", {"/CHECK"}, TRUE, ""},
      {"lower case after a dash", {"-check"}, TRUE, ""},
      {"other switch", {"/TEST"}, FALSE, ""},
      {"image and check", {"C:\\a.bin", "/CHECK"}, TRUE, "C:\\a.bin"},
      {"last plain argument counts", {"a.bin", "b.bin"}, FALSE, "b.bin"},
      {"switch text is no file", {"/C:\\a.bin"}, FALSE, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "flashwiz.exe");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    CFlashwizCommandLineInfo info;
    info.ParseArguments(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(info.IsCheckRun(), c.check) << c.name;
    EXPECT_EQ(info.m_strFileName, c.file) << c.name;
    EXPECT_EQ(info.m_nShellCommand, *c.file ? CCommandLineInfo::FileOpen : CCommandLineInfo::FileNew) << c.name;
  }
}

}  // namespace
