#include "pxtest.h"

#include "fileio.h"
#include "simfile.h"

#include <cstdio>

namespace pxtest {

namespace {

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") DeleteFileA((folder + "\\" + name).c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string NewTemporaryFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int serial = 0;
  for (;;) {
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof name, "%spxsim-%lu-%d", base, GetCurrentProcessId(), ++serial);
    if (CreateDirectoryA(name, nullptr)) return name;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  }
}

}  // namespace

SimulationFile::SimulationFile(const std::vector<drivesim::DeviceConfig>& devices) {
  Create(drivesim::FormatSimFile(devices));
}

SimulationFile::SimulationFile(const std::string& text) { Create(text); }

void SimulationFile::Create(const std::string& text) {
  folder_ = NewTemporaryFolder();
  path_ = folder_ + "\\pxsim.ini";
  drivesim::ReplaceWholeFile(path_, text);
  SetEnvironmentVariableA("PXSIM_FILE", path_.c_str());
}

SimulationFile::~SimulationFile() {
  SetEnvironmentVariableA("PXSIM_FILE", nullptr);
  RemoveFolder(folder_);
}

drivesim::SimStore SimulationFile::OpenStore() {
  drivesim::SimStore store;
  std::string error;
  store.Open(path_, &error);
  return store;
}

std::vector<drivesim::DriveState> SimulationFile::States() { return OpenStore().States(); }

std::vector<drivesim::TraceEntry> SimulationFile::Trace() {
  std::vector<drivesim::TraceEntry> entries;
  for (const std::string& line : OpenStore().TraceLines()) {
    drivesim::TraceEntry e;
    if (drivesim::TraceEntry::Parse(line, &e)) entries.push_back(e);
  }
  return entries;
}

bool SimulationFile::ClearTrace() { return OpenStore().ClearTrace(); }

bool SimulationFile::PowerCycle() { return OpenStore().PowerCycle(); }

bool BindAllOfPx(PxFunctions* px) {
  static const int kAll[] = {PX_CHECK_VERSION,   PX_SHUTDOWN,          PX_GET_DEVICE_COUNT, PX_GET_DEVICE,
                             PX_OPEN_HANDLE,     PX_CLOSE_HANDLE,      PX_RESERVED,         PX_GET_DEVICE_TYPE,
                             PX_GET_DRIVE_LETTER, PX_GET_SENSE,        PX_SET_FILE_SYSTEM_BLOCKING,
                             PX_EXECUTE_COMMAND, PX_GET_DEVICE_STATE};
  return BindPx(*px, kAll, sizeof kAll / sizeof kAll[0]) != FALSE;
}

int RunProcess(const std::string& commandLine, std::string* output) {
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

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

}  // namespace pxtest
