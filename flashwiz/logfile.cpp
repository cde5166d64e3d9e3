#include "logfile.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "stringtable.h"

namespace {

// Process-wide state, one copy.
std::FILE* g_statusFile = nullptr;
std::atomic<int> g_handleCount{0};

// Lives for the whole process: a handle may die during static destruction.
std::mutex& LogLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

void WriteLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), g_statusFile);
  std::fwrite("\r\n", 1, 2, g_statusFile);
  std::fflush(g_statusFile);
}

}  // namespace

std::string FormatLogStamp(const std::tm& time) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string format = LoadStringText(77);
  std::string stamp;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      stamp += format[i];
      continue;
    }
    switch (format[++i]) {
      case 'I': stamp += FormatText("%02d", time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12); break;
      case 'H': stamp += FormatText("%02d", time.tm_hour); break;
      case 'M': stamp += FormatText("%02d", time.tm_min); break;
      case 'S': stamp += FormatText("%02d", time.tm_sec); break;
      case 'p': stamp += time.tm_hour < 12 ? "AM" : "PM"; break;
      case 'a': stamp += kDays[(time.tm_wday % 7 + 7) % 7]; break;
      case 'b': stamp += kMonths[(time.tm_mon % 12 + 12) % 12]; break;
      case 'd': stamp += FormatText("%02d", time.tm_mday); break;
      case 'Y': stamp += FormatText("%d", time.tm_year + 1900); break;
      default: stamp += format[i]; break;
    }
  }
  return stamp;
}

std::string CurrentLogStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return FormatLogStamp(local);
}

CLogFile::CLogFile() : m_bEnabled(TRUE) { ++g_handleCount; }

CLogFile::~CLogFile() {
  if (--g_handleCount > 0 || !g_statusFile) return;
  std::lock_guard<std::mutex> guard(LogLock());
  if (!g_statusFile) return;
  WriteLine(FormatString(81, CurrentLogStamp().c_str()));
  WriteLine(std::string());
  std::fclose(g_statusFile);
  g_statusFile = nullptr;
}

BOOL CLogFile::Open(const std::string& path, BOOL enabled, BOOL append) {
  if (g_statusFile) return FALSE;
  std::string stamp = CurrentLogStamp();
  m_bEnabled = enabled;
  g_statusFile = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (!g_statusFile) {
    m_bEnabled = FALSE;
    return FALSE;
  }
  WriteMessage(append ? 117 : 76, stamp.c_str());
  return TRUE;
}

void CLogFile::Write(const std::string& text) {
  if (!m_bEnabled || !g_statusFile) return;
  std::lock_guard<std::mutex> guard(LogLock());
  if (g_statusFile) WriteLine(text);
}

void CLogFile::WriteMessage(unsigned id, ...) {
  if (!m_bEnabled || !g_statusFile) return;
  va_list args;
  va_start(args, id);
  std::string text = FormatStringV(id, args);
  va_end(args);
  Write(text);
}
