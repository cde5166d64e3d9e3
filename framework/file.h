// A file opened for reading, with CFile's open modes: Win32 files with their
// sharing modes on Windows, POSIX files natively (where sharing modes have
// no effect). Failures come back as results; nothing is thrown.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

// Why an open failed.
class CFileException {
 public:
  enum Cause { none, generic, fileNotFound, badPath, accessDenied, sharingViolation };

  // The system's own text for m_lOsError, without its line break.
  std::string GetErrorText() const;

  Cause m_cause = none;
  long m_lOsError = 0;
  std::string m_strFileName;
};

struct CFileStatus {
  uint64_t m_size = 0;
  BOOL m_bDirectory = FALSE;
};

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    shareDenyWrite = 0x0020,
  };

  CFile() = default;
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens an existing file for reading. On failure fills error when given.
  BOOL Open(const std::string& fileName, UINT openFlags, CFileException* error = nullptr);
  virtual void Close();
  BOOL IsOpen() const;

  // Moves to an absolute position from the start of the file.
  BOOL Seek(uint64_t position);
  // Reads up to count bytes; returns how many were read (0 at the end or on an error).
  UINT Read(void* buffer, UINT count);

  // The name without its directory, and the full path, as given to Open.
  std::string GetFileName() const;
  std::string GetFilePath() const { return m_strFilePath; }

  // FALSE when nothing exists under that name.
  static BOOL GetStatus(const std::string& fileName, CFileStatus& status);

 private:
#ifdef _WIN32
  HANDLE m_hFile = INVALID_HANDLE_VALUE;
#else
  int m_hFile = -1;
#endif
  std::string m_strFilePath;
};

// The part of a path after its last '\\' or '/'.
std::string FileNameOfPath(const std::string& path);
