// Files shared by every process that uses the simulation: whole-file reads,
// replacement that never leaves a half-written file, appends, and the lock
// that serialises processes.
#pragma once

#include <string>

namespace drivesim {

bool ReadWholeFile(const std::string& path, std::string* text);
// Writes a sibling file and renames it over `path`.
bool ReplaceWholeFile(const std::string& path, const std::string& text);
bool AppendToFile(const std::string& path, const std::string& text);

// Exclusive lock on a lock file, held across processes until destruction.
// Waits for another holder.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return held_; }

 private:
#ifdef _WIN32
  void* handle_;
#else
  int fd_;
#endif
  bool held_ = false;
};

}  // namespace drivesim
