#include "fileio.h"

#include <cstdio>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace drivesim {

// stdio rather than a stream: reading a directory must fail, not give "".
bool ReadWholeFile(const std::string& path, std::string* text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string content;
  char buffer[8192];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return false;
  *text = content;
  return true;
}

bool ReplaceWholeFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) return false;
  }
#ifdef _WIN32
  return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
}

bool AppendToFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  return static_cast<bool>(out.write(text.data(), static_cast<std::streamsize>(text.size())));
}

#ifdef _WIN32

FileLock::FileLock(const std::string& path) {
  handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return;
  OVERLAPPED whole = {};
  held_ = LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole) != 0;
}

FileLock::~FileLock() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  if (held_) {
    OVERLAPPED whole = {};
    UnlockFileEx(handle_, 0, 1, 0, &whole);
  }
  CloseHandle(handle_);
}

#else

FileLock::FileLock(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  held_ = flock(fd_, LOCK_EX) == 0;
}

FileLock::~FileLock() {
  if (fd_ < 0) return;
  if (held_) flock(fd_, LOCK_UN);
  close(fd_);
}

#endif

}  // namespace drivesim
