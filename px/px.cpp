// PX.DLL over the simulated drives. The simulation file is the one named by
// the environment variable PXSIM_FILE, else pxsim.ini beside this DLL;
// without one the library reports no devices.
#include "pxclient.h"
#include "store.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>

namespace {

using namespace drivesim;

HMODULE g_module = nullptr;
const int kSenseLength = 16;

// One library state per process; the flash worker and the user-interface
// thread may call at once.
struct Library {
  std::mutex mutex;
  bool started = false;
  SimStore store;
  std::set<int> handles;
  int nextHandle = 1;
};

Library& Lib() {
  static Library library;
  return library;
}

std::string SimulationFilePath() {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("PXSIM_FILE", value, sizeof value);
  if (n > 0 && n < sizeof value) return value;
  char module[MAX_PATH] = {};
  const DWORD m = GetModuleFileNameA(g_module, module, sizeof module);
  if (m == 0 || m >= sizeof module) return std::string();
  std::string path(module);
  const size_t slash = path.find_last_of("\\/");
  const std::string beside = path.substr(0, slash == std::string::npos ? 0 : slash + 1) + "pxsim.ini";
  return GetFileAttributesA(beside.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : beside;
}

// Binds the simulation on first use after load or PxShutdown. A missing or
// bad file leaves the store without devices.
SimStore& Store(Library& lib) {
  if (!lib.started) {
    const std::string path = SimulationFilePath();
    std::string error;
    if (path.empty() || !lib.store.Open(path, &error)) lib.store = SimStore();
    lib.started = true;
  }
  return lib.store;
}

const DeviceConfig* Device(Library& lib, int device) {
  return device < 0 ? nullptr : Store(lib).Config(static_cast<size_t>(device));
}

int ResultOf(Status status) {
  switch (status) {
    case Status::Good: return PX_COMPLETED;
    case Status::CheckCondition: return PX_CHECK_CONDITION;
    case Status::NoAnswer: return PX_TIMEOUT;
    case Status::HostFailure: break;
  }
  return PX_BUS_RESET;
}

bool ValidRequest(Library& lib, int handle, int device, int cdbLength, const unsigned char* cdb, int dataLength,
                  const unsigned char* data, int direction) {
  return lib.handles.count(handle) && Device(lib, device) && cdb && cdbLength >= 1 && cdbLength <= 16 &&
         dataLength >= 0 && (dataLength == 0 || data) && direction >= PX_DIR_NONE && direction <= PX_DIR_OUT;
}

}  // namespace

extern "C" {

int __cdecl PxCheckVersion(int version) { return version == PX_VERSION ? PX_VERSION : -1; }

int __cdecl PxShutdown(void) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  lib.started = false;
  lib.store = SimStore();
  lib.handles.clear();
  return 1;
}

int __cdecl PxGetDeviceCount(void) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  return static_cast<int>(Store(lib).Count());
}

int __cdecl PxGetDevice(int index) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  return Device(lib, index) ? index : -1;
}

int __cdecl PxOpenHandle(void) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  Store(lib);
  const int handle = lib.nextHandle;
  lib.nextHandle = lib.nextHandle == 0x7FFFFFFF ? 1 : lib.nextHandle + 1;
  lib.handles.insert(handle);
  return handle;
}

int __cdecl PxCloseHandle(int handle) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  return lib.handles.erase(handle) ? 1 : -1;
}

// Present for the ordinal table; no caller uses it.
int __cdecl PxReserved(void) { return -1; }

int __cdecl PxGetDeviceType(int device) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  const DeviceConfig* d = Device(lib, device);
  return d ? d->typeCode : -1;
}

int __cdecl PxGetDriveLetter(int device) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  const DeviceConfig* d = Device(lib, device);
  return d && d->letter ? static_cast<unsigned char>(d->letter) : -1;
}

int __cdecl PxGetDeviceState(int device, int zero) {
  (void)zero;
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  const DeviceConfig* d = Device(lib, device);
  return d ? d->stateValue : -1;
}

int __cdecl PxGetSense(int handle, int device, int* out, unsigned char* sense) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  Sense last;
  if (!sense || !lib.handles.count(handle) || !Device(lib, device) || !Store(lib).LastSense(device, &last)) return -1;
  std::fill(sense, sense + kSenseLength, 0);
  sense[0] = 0x70;  // current error, fixed format
  sense[2] = last.key;
  sense[7] = 10;
  sense[12] = last.asc;
  sense[13] = last.ascq;
  if (out) *out = kSenseLength;
  return 1;
}

int __cdecl PxSetFileSystemBlocking(int device, int on) {
  Library& lib = Lib();
  std::lock_guard<std::mutex> guard(lib.mutex);
  if (!Device(lib, device) || !Store(lib).SetFileSystemBlocking(device, on != 0)) return -1;
  return 1;
}

int __cdecl PxExecuteCommand(int handle, int device, int cdbLength, const unsigned char* cdb, int dataLength,
                             unsigned char* data, int direction, int timeoutMs) {
  Library& lib = Lib();
  uint32_t delay = 0;
  {
    std::lock_guard<std::mutex> guard(lib.mutex);
    if (!ValidRequest(lib, handle, device, cdbLength, cdb, dataLength, data, direction)) return PX_BUS_RESET;
    for (const Delay& d : Device(lib, device)->delays)
      if (d.opcode == cdb[0]) delay = d.milliseconds;
  }
  // A slow command keeps the caller waiting, not the other threads; past the
  // time-out the host gives up, though the drive carried the command out.
  const bool timedOut = timeoutMs >= 0 && delay > static_cast<uint32_t>(timeoutMs);
  if (delay) Sleep(timedOut ? static_cast<DWORD>(timeoutMs) : delay);
  std::lock_guard<std::mutex> guard(lib.mutex);
  // Another thread may have closed the handle or shut the library down meanwhile.
  if (!ValidRequest(lib, handle, device, cdbLength, cdb, dataLength, data, direction)) return PX_BUS_RESET;
  Command cmd{cdb, static_cast<size_t>(cdbLength), static_cast<Direction>(direction), data,
              static_cast<size_t>(dataLength)};
  const Reply reply = Store(lib).Execute(static_cast<size_t>(device), cmd);
  return timedOut ? PX_TIMEOUT : ResultOf(reply.status);
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}
