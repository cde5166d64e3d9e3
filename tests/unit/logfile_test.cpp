#include "logfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "stringtable.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text after the last line break";
  return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

class LogFileTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "status_" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(path_.c_str());
  }
  std::string path_;
};

TEST(LogStampTest, EnglishNamesAndTwelveHourClock) {
  struct Case {
    const char* name;
    int year, month, day, weekday, hour, minute;
    const char* stamp;
  } cases[] = {
      {"afternoon", 2024, 11, 9, 1, 15, 7, "03:07PM Mon, Dec 09, 2024"},
      {"midnight", 2026, 0, 1, 4, 0, 0, "12:00AM Thu, Jan 01, 2026"},
      {"noon", 2025, 6, 31, 6, 12, 59, "12:59PM Sat, Jul 31, 2025"},
      {"morning", 2023, 4, 14, 0, 9, 5, "09:05AM Sun, May 14, 2023"},
  };
  for (const Case& c : cases) {
    std::tm time{};
    time.tm_year = c.year - 1900;
    time.tm_mon = c.month;
    time.tm_mday = c.day;
    time.tm_wday = c.weekday;
    time.tm_hour = c.hour;
    time.tm_min = c.minute;
    EXPECT_EQ(FormatLogStamp(time), c.stamp) << c.name;
  }
}

TEST_F(LogFileTest, NewFileHasStartAndEndLines) {
  {
    CLogFile log;
    log.Write("dropped: the log is not open yet");
    ASSERT_TRUE(log.Open(path_, TRUE, FALSE));
    log.Write("one line");
    log.WriteMessage(96, "Windows 98");
  }
  std::vector<std::string> lines = SplitLines(ReadFile(path_));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(StartsWith(lines[0], "Registro iniciado: ")) << lines[0];
  EXPECT_EQ(lines[1], "one line");
  EXPECT_EQ(lines[2], "Sistema operacional Windows 98");
  EXPECT_TRUE(StartsWith(lines[3], "Registro finalizado: ")) << lines[3];
  EXPECT_EQ(lines[4], "");
}

TEST_F(LogFileTest, ContinuedFileKeepsEarlierRun) {
  {
    CLogFile log;
    ASSERT_TRUE(log.Open(path_, TRUE, FALSE));
    log.Write("update run");
  }
  {
    CLogFile log;
    ASSERT_TRUE(log.Open(path_, TRUE, TRUE));
    log.Write("check run");
  }
  std::vector<std::string> lines = SplitLines(ReadFile(path_));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_TRUE(StartsWith(lines[0], "Registro iniciado: "));
  EXPECT_EQ(lines[1], "update run");
  EXPECT_TRUE(StartsWith(lines[2], "Registro finalizado: "));
  EXPECT_EQ(lines[3], "");
  EXPECT_TRUE(StartsWith(lines[4], "Registro reiniciado: "));
  EXPECT_EQ(lines[5], "check run");
  EXPECT_TRUE(StartsWith(lines[6], "Registro finalizado: "));
  EXPECT_EQ(lines[7], "");
}

TEST_F(LogFileTest, ContinuingAMissingFileCreatesIt) {
  {
    CLogFile log;
    ASSERT_TRUE(log.Open(path_, TRUE, TRUE));
  }
  std::vector<std::string> lines = SplitLines(ReadFile(path_));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(StartsWith(lines[0], "Registro reiniciado: "));
}

TEST_F(LogFileTest, SecondOpenIsRefusedAndLaterHandlesShareTheFile) {
  {
    CLogFile app;
    ASSERT_TRUE(app.Open(path_, TRUE, FALSE));
    CLogFile other;
    EXPECT_FALSE(other.Open(path_ + ".other", TRUE, FALSE));
    other.Write("from a later handle");
  }
  std::vector<std::string> lines = SplitLines(ReadFile(path_));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "from a later handle");
  EXPECT_EQ(ReadFile(path_ + ".other"), "");
}

TEST_F(LogFileTest, DisabledHandleWritesNothingWhileOthersWrite) {
  {
    CLogFile app;
    ASSERT_TRUE(app.Open(path_, TRUE, FALSE));
    CLogFile quiet;
    quiet.SetEnabled(FALSE);
    quiet.Write("never");
    app.Write("always");
    // The end line comes from whichever handle dies last, enabled or not.
    app.SetEnabled(FALSE);
  }
  std::vector<std::string> lines = SplitLines(ReadFile(path_));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "always");
  EXPECT_TRUE(StartsWith(lines[2], "Registro finalizado: "));
}

TEST_F(LogFileTest, FileThatCannotBeCreatedLeavesNoLog) {
  CLogFile log;
  EXPECT_FALSE(log.Open(testing::TempDir() + "no-such-dir/status.txt", TRUE, FALSE));
  EXPECT_FALSE(log.m_bEnabled);
  log.Write("dropped");
  // A later Open still works: nothing was left half open.
  EXPECT_TRUE(log.Open(path_, TRUE, FALSE));
}

TEST_F(LogFileTest, ThreadsWritingAtOnceNeverInterleave) {
  const int kThreads = 8;
  const int kLinesEach = 500;
  {
    CLogFile app;
    ASSERT_TRUE(app.Open(path_, TRUE, FALSE));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([t] {
        CLogFile own;
        std::string line(40 + t, static_cast<char>('a' + t));
        for (int i = 0; i < kLinesEach; ++i) own.Write(line);
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  std::vector<std::string> lines = SplitLines(ReadFile(path_));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach + 3));
  std::vector<int> counts(kThreads);
  for (size_t i = 1; i + 2 < lines.size(); ++i) {
    const std::string& line = lines[i];
    ASSERT_FALSE(line.empty());
    int t = line[0] - 'a';
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    ASSERT_EQ(line, std::string(40 + t, line[0]));
    ++counts[t];
  }
  for (int count : counts) EXPECT_EQ(count, kLinesEach);
}

}  // namespace
