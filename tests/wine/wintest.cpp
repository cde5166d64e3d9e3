#include "wintest.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>

namespace wintest {

std::string BinDir() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, length);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string MakeTempDir(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + "vqtest_" + name + "\\";
  RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

void RemoveTree(const std::string& dir) {
  std::string pattern = dir + "*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

bool CopyTo(const std::string& file, const std::string& dir) {
  std::string name = file.substr(file.find_last_of('\\') + 1);
  return CopyFileA(file.c_str(), (dir + name).c_str(), FALSE) != 0;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back("<unterminated>" + text.substr(start));
  return lines;
}

namespace {

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  if (processId == search->processId && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string WindowText(HWND window) {
  char text[4096] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

void Answer(const Box& box, int buttonId) { PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0); }

int Run(const std::string& commandLine, const std::string& dir, const std::function<void(const Box&)>& onBox,
        DWORD timeoutMs) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                      &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  DWORD waited = 0;
  HWND answered = nullptr;
  // Windows of this process keep answering while it waits.
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    waited += 50;
    if (waited > timeoutMs) {
      TerminateProcess(process.hProcess, 1);
      CloseHandle(process.hProcess);
      return -1;
    }
    BoxSearch search{process.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (!search.found || search.found == answered) continue;
    Box box{search.found, WindowText(search.found), std::string()};
    char text[4096] = "";
    GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
    box.text = text;
    answered = search.found;
    if (onBox) onBox(box);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

int RunWithOutput(const std::string& commandLine, std::string* output) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;
  const BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return -1;
  }
  output->clear();
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) output->append(buffer, n);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}

void DeleteKey(HKEY root, const std::string& key) { SHDeleteKeyA(root, key.c_str()); }

bool SetText(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
  return SHSetValueA(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)) ==
         ERROR_SUCCESS;
}

bool GetText(HKEY root, const std::string& key, const std::string& name, std::string& value) {
  char buffer[2048];
  DWORD size = sizeof buffer;
  DWORD type = 0;
  if (SHGetValueA(root, key.c_str(), name.c_str(), &type, buffer, &size) != ERROR_SUCCESS || type != REG_SZ)
    return false;
  value.assign(buffer, size > 0 && buffer[size - 1] == '\0' ? size - 1 : size);
  return true;
}

bool SetNumber(HKEY root, const std::string& key, const std::string& name, DWORD value) {
  return SHSetValueA(root, key.c_str(), name.c_str(), REG_DWORD, &value, sizeof value) == ERROR_SUCCESS;
}

bool GetNumber(HKEY root, const std::string& key, const std::string& name, DWORD& value) {
  DWORD size = sizeof value;
  DWORD type = 0;
  return SHGetValueA(root, key.c_str(), name.c_str(), &type, &value, &size) == ERROR_SUCCESS && type == REG_DWORD;
}

void SetWineVersion(const std::string& exeName, const std::string& version) {
  std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
  if (version.empty())
    SHDeleteValueA(HKEY_CURRENT_USER, key.c_str(), "Version");
  else
    SetText(HKEY_CURRENT_USER, key, "Version", version);
}

}  // namespace wintest
