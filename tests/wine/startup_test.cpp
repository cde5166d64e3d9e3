// The real flashwiz.exe started under Wine: run modes, program directory,
// status log and the early ends of the start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wintest.h"

namespace {

const char kAppKey[] = "SOFTWARE\\Varquell-Ostrum\\VQ Firmware Update\\2.2";
const char kTitle[] = "Atualiza\xE7\xE3o do firmware da Varquell-Ostrum";

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    wintest::DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varquell-Ostrum");
    dir_ = wintest::MakeTempDir("startup");
    ASSERT_TRUE(wintest::CopyTo(wintest::BinDir() + "flashwiz.exe", dir_));
    ASSERT_TRUE(wintest::CopyTo(wintest::BinDir() + "flashwiz_nonadmin.exe", dir_));
  }
  void TearDown() override {
    wintest::SetWineVersion("flashwiz.exe", "");
    wintest::SetWineVersion("flashwiz_nonadmin.exe", "");
    wintest::DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varquell-Ostrum");
    wintest::RemoveTree(dir_);
  }

  int RunFlashwiz(const std::string& args, const std::string& currentDir) {
    return wintest::Run("\"" + dir_ + "flashwiz.exe\"" + (args.empty() ? "" : " " + args), currentDir);
  }
  std::vector<std::string> Log(const std::string& dir) { return wintest::SplitLines(wintest::ReadFileBytes(dir + "status.txt")); }
  std::string Setting(const char* name) {
    std::string value = "<missing>";
    wintest::GetText(HKEY_LOCAL_MACHINE, kAppKey, name, value);
    return value;
  }

  std::string dir_;
};

// One run's lines: start line, operating-system line, end line, empty line.
void ExpectRun(const std::vector<std::string>& lines, size_t first, const char* start, const std::string& system) {
  ASSERT_GE(lines.size(), first + 4);
  EXPECT_TRUE(StartsWith(lines[first], start)) << lines[first];
  EXPECT_EQ(lines[first + 1], "Sistema operacional " + system);
  EXPECT_TRUE(StartsWith(lines[first + 2], "Registro finalizado: ")) << lines[first + 2];
  EXPECT_EQ(lines[first + 3], "");
}

TEST_F(StartupTest, UpdateRunThenCheckRunShareOneLog) {
  struct Case {
    const char* version;
    const char* system;
  } cases[] = {
      {"win95", "Windows 95"},  // no service pack: no trailing blank
      {"win98", "Windows 98  A"},
      {"winme", "Windows (vers\xE3o desconhecida)"},
      {"nt40", "Windows NT 4.0 Service Pack 6a"},
      {"winxp", "Windows NT 5.1 Service Pack 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    DeleteFileA((dir_ + "status.txt").c_str());
    wintest::SetWineVersion("flashwiz.exe", c.version);
    ASSERT_NE(RunFlashwiz("", dir_), -1);
    ASSERT_NE(RunFlashwiz("/CHECK", dir_), -1);
    std::vector<std::string> lines = Log(dir_);
    ASSERT_EQ(lines.size(), 8u);
    ExpectRun(lines, 0, "Registro iniciado: ", c.system);
    ExpectRun(lines, 4, "Registro reiniciado: ", c.system);
  }
}

TEST_F(StartupTest, NewUpdateRunStartsTheLogAfresh) {
  ASSERT_TRUE(wintest::WriteFileBytes(dir_ + "status.txt", "old run\r\n"));
  ASSERT_NE(RunFlashwiz("/test", dir_), -1);
  std::vector<std::string> lines = Log(dir_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(StartsWith(lines[0], "Registro iniciado: "));
}

TEST_F(StartupTest, ImageFileArgumentIsStored) {
  struct Case {
    const char* name;
    std::string args;
    std::string stored;
  } cases[] = {
      {"one path", "C:\\fw\\new.cvt", "C:\\fw\\new.cvt"},
      {"the second of two", "C:\\a.bin C:\\b.bin", "C:\\b.bin"},
      {"before the switch", "C:\\a.bin /check", "C:\\a.bin"},
      {"over-long path, cut", std::string(2000, 'p'), std::string(260, 'p')},
  };
  for (const Case& c : cases) {
    wintest::DeleteKey(HKEY_LOCAL_MACHINE, kAppKey);
    ASSERT_NE(RunFlashwiz(c.args, dir_), -1) << c.name;
    EXPECT_EQ(Setting("Image File"), c.stored) << c.name;
  }
  wintest::DeleteKey(HKEY_LOCAL_MACHINE, kAppKey);
  ASSERT_NE(RunFlashwiz("/CHECK", dir_), -1);
  EXPECT_EQ(Setting("Image File"), "<missing>") << "no file argument, nothing stored";
}

TEST_F(StartupTest, ProgramDirectoryRules) {
  std::string other = wintest::MakeTempDir("startup_other");
  ASSERT_TRUE(wintest::CopyTo(dir_ + "flashwiz.exe", other));
  std::string empty = wintest::MakeTempDir("startup_empty");
  std::string dirName = dir_.substr(0, dir_.size() - 1);
  std::string otherName = other.substr(0, other.size() - 1);
  struct Case {
    const char* name;
    std::string stored;  // "<missing>": no value
    std::string current;
    std::string expected;
  } cases[] = {
      {"never ran: the current folder", "<missing>", dir_, dirName},
      {"stored folder that holds the program is kept", otherName, dir_, otherName},
      {"stored folder without the program", empty, dir_, dirName},
      {"over-long stored value", std::string(300, 'x'), dir_, dirName},
      {"neither holds the program", empty, empty, ""},
  };
  for (const Case& c : cases) {
    wintest::DeleteKey(HKEY_LOCAL_MACHINE, kAppKey);
    if (c.stored != "<missing>") wintest::SetText(HKEY_LOCAL_MACHINE, kAppKey, "ProgramDir", c.stored);
    DeleteFileA("C:\\status.txt");
    DeleteFileA((dir_ + "status.txt").c_str());
    DeleteFileA((other + "status.txt").c_str());
    ASSERT_NE(RunFlashwiz("", c.current), -1) << c.name;
    EXPECT_EQ(Setting("ProgramDir"), c.expected) << c.name;
    std::string logDir = c.expected.empty() ? "C:\\" : c.expected + "\\";
    EXPECT_EQ(Log(logDir).size(), 4u) << c.name << ": log in " << logDir;
  }
  DeleteFileA("C:\\status.txt");
  wintest::RemoveTree(other);
  wintest::RemoveTree(empty);
}

TEST_F(StartupTest, LogThatCannotBeCreatedLeavesTheRunGoing) {
  ASSERT_TRUE(CreateDirectoryA((dir_ + "status.txt").c_str(), nullptr));
  EXPECT_EQ(RunFlashwiz("C:\\fw\\x.bin", dir_), 0);
  EXPECT_EQ(Setting("Image File"), "C:\\fw\\x.bin");
}

TEST_F(StartupTest, UserWithoutAdministratorRightsIsStopped) {
  wintest::SetWineVersion("flashwiz_nonadmin.exe", "winxp");
  std::vector<wintest::Box> boxes;
  int code = wintest::Run("\"" + dir_ + "flashwiz_nonadmin.exe\"", dir_, [&](const wintest::Box& box) {
    boxes.push_back(box);
    wintest::Answer(box, IDOK);
  });
  ASSERT_NE(code, -1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, kTitle);
  EXPECT_EQ(boxes[0].text,
            "Voc\xEA n\xE3o tem privil\xE9gios de administrador. Para executar esta atualiza\xE7\xE3o do firmware, "
            "voc\xEA deve ter privil\xE9gios de administrador nesta m\xE1quina.");
  std::vector<std::string> lines = Log(dir_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(StartsWith(lines[0], "Registro iniciado: "));
  EXPECT_EQ(lines[1], "O usu\xE1rio n\xE3o tem privil\xE9gios de administrador.");
  EXPECT_TRUE(StartsWith(lines[2], "Registro finalizado: "));
}

TEST_F(StartupTest, SecondStartRestoresTheFirstWindow) {
  HWND first = CreateWindowExA(0, "STATIC", kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(first);
  ShowWindow(first, SW_SHOWMINIMIZED);
  ASSERT_TRUE(IsIconic(first));
  ASSERT_TRUE(wintest::WriteFileBytes(dir_ + "status.txt", "first run\r\n"));

  ASSERT_NE(RunFlashwiz("/CHECK", dir_), -1);
  EXPECT_FALSE(IsIconic(first));
  EXPECT_EQ(wintest::ReadFileBytes(dir_ + "status.txt"), "first run\r\n");
  EXPECT_EQ(Setting("ProgramDir"), "<missing>") << "ends before the settings";
  DestroyWindow(first);
}

}  // namespace
