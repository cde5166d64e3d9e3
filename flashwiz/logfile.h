// Status-log handle. Every reporting object holds one; all handles write into
// the one process-wide "status.txt" that the application opened.
#pragma once

#include <ctime>
#include <string>

#include "platform.h"

class CLogFile {
 public:
  CLogFile();
  ~CLogFile();
  CLogFile(const CLogFile&) = delete;
  CLogFile& operator=(const CLogFile&) = delete;

  // Opens the process's status file: a new one, or continues an existing one
  // when append is TRUE. FALSE when a file is already open or it fails.
  BOOL Open(const std::string& path, BOOL enabled, BOOL append);
  // One line: the text unchanged and a line break, flushed at once.
  void Write(const std::string& text);
  // Formats string-table entry id with the arguments and writes it.
  void WriteMessage(unsigned id, ...);
  void SetEnabled(BOOL on) { m_bEnabled = on; }

  BOOL m_bEnabled;
};

// The time stamp of the start and end lines (message 77), English day and
// month names whatever the locale.
std::string FormatLogStamp(const std::tm& time);
std::string CurrentLogStamp();
