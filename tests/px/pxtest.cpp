#include "pxtest.h"

#include "fileio.h"
#include "simfile.h"
#include "wintest.h"

#include <cstdio>

namespace pxtest {

namespace {

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
  wintest::RemoveTree(folder_ + "\\");
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

}  // namespace pxtest
