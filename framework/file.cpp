#include "file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::string FileNameOfPath(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CFile::GetFileName() const { return FileNameOfPath(m_strFilePath); }

CFile::~CFile() { CFile::Close(); }

#ifdef _WIN32

namespace {

CFileException::Cause CauseOfError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return CFileException::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return CFileException::badPath;
    case ERROR_ACCESS_DENIED: return CFileException::accessDenied;
    case ERROR_SHARING_VIOLATION: return CFileException::sharingViolation;
    default: return CFileException::generic;
  }
}

std::string FullPath(const std::string& fileName) {
  char path[MAX_PATH];
  DWORD length = GetFullPathNameA(fileName.c_str(), sizeof path, path, nullptr);
  return length > 0 && length < sizeof path ? std::string(path, length) : fileName;
}

}  // namespace

std::string CFileException::GetErrorText() const {
  char text[260] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(m_lOsError), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                text, sizeof text, nullptr);
  std::string result(text, length);
  size_t end = result.find_last_not_of(" \r\n");
  return end == std::string::npos ? std::string() : result.substr(0, end + 1);
}

BOOL CFile::Open(const std::string& fileName, UINT openFlags, CFileException* error) {
  Close();
  DWORD share = (openFlags & shareDenyWrite) ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
  m_hFile = CreateFileA(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
  if (m_hFile == INVALID_HANDLE_VALUE) {
    if (error) {
      error->m_lOsError = static_cast<long>(GetLastError());
      error->m_cause = CauseOfError(static_cast<DWORD>(error->m_lOsError));
      error->m_strFileName = fileName;
    }
    return FALSE;
  }
  m_strFilePath = FullPath(fileName);
  return TRUE;
}

void CFile::Close() {
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
}

BOOL CFile::IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

BOOL CFile::Seek(uint64_t position) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(position);
  return IsOpen() && SetFilePointerEx(m_hFile, distance, nullptr, FILE_BEGIN);
}

UINT CFile::Read(void* buffer, UINT count) {
  DWORD done = 0;
  if (!IsOpen() || !ReadFile(m_hFile, buffer, count, &done, nullptr)) return 0;
  return done;
}

BOOL CFile::GetStatus(const std::string& fileName, CFileStatus& status) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) return FALSE;
  status.m_size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.m_bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return TRUE;
}

#else

namespace {

CFileException::Cause CauseOfError(int error) {
  switch (error) {
    case ENOENT: return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return CFileException::badPath;
    case EACCES:
    case EPERM:
    case EISDIR: return CFileException::accessDenied;
    default: return CFileException::generic;
  }
}

std::string FullPath(const std::string& fileName) {
  if (!fileName.empty() && fileName[0] == '/') return fileName;
  char dir[4096];
  if (!getcwd(dir, sizeof dir)) return fileName;
  return std::string(dir) + "/" + fileName;
}

}  // namespace

std::string CFileException::GetErrorText() const { return std::strerror(static_cast<int>(m_lOsError)); }

BOOL CFile::Open(const std::string& fileName, UINT /*openFlags*/, CFileException* error) {
  Close();
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  // Windows refuses to open a directory as a file; so do we.
  if (fd >= 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    fd = -1;
    errno = EISDIR;
  }
  if (fd < 0) {
    if (error) {
      error->m_lOsError = errno;
      error->m_cause = CauseOfError(errno);
      error->m_strFileName = fileName;
    }
    return FALSE;
  }
  m_hFile = fd;
  m_strFilePath = FullPath(fileName);
  return TRUE;
}

void CFile::Close() {
  if (m_hFile < 0) return;
  ::close(m_hFile);
  m_hFile = -1;
}

BOOL CFile::IsOpen() const { return m_hFile >= 0; }

BOOL CFile::Seek(uint64_t position) {
  return IsOpen() && lseek(m_hFile, static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
}

UINT CFile::Read(void* buffer, UINT count) {
  if (!IsOpen()) return 0;
  UINT done = 0;
  while (done < count) {
    ssize_t got = ::read(m_hFile, static_cast<char*>(buffer) + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<UINT>(got);
  }
  return done;
}

BOOL CFile::GetStatus(const std::string& fileName, CFileStatus& status) {
  struct stat info;
  if (stat(fileName.c_str(), &info) != 0) return FALSE;
  status.m_size = static_cast<uint64_t>(info.st_size);
  status.m_bDirectory = S_ISDIR(info.st_mode);
  return TRUE;
}

#endif
