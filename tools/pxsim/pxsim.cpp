// pxsim: makes and inspects the simulated drives behind PX.DLL.
//   pxsim create FILE DEVICE...   DEVICE: 61ka..65ke, drive or disk, with :LETTER
//   pxsim show [FILE]             drives, firmware banks and tray state
//   pxsim power-cycle [FILE]      switch the computer off and on: staged firmware runs
//   pxsim trace [FILE]            every command the drives received
//   pxsim clear-trace [FILE]
//   pxsim reset [FILE]            forget the drive state: every drive as the file describes it
// FILE defaults to the PXSIM_FILE environment variable, then pxsim.ini.
#include "fileio.h"
#include "simfile.h"
#include "store.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace drivesim;

const char kUsage[] =
    "usage: pxsim create FILE DEVICE...   (DEVICE: 61ka, 62kb, 63kc, 64kd, 65ke, drive or disk, :LETTER optional)\n"
    "       pxsim show|power-cycle|trace|clear-trace|reset [FILE]\n"
    "FILE defaults to %%PXSIM_FILE%%, then pxsim.ini.\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::string DefaultFile() {
  const char* env = std::getenv("PXSIM_FILE");
  return env && *env ? env : "pxsim.ini";
}

bool OpenStore(const std::string& path, SimStore* store) {
  std::string error;
  if (!store->Open(path, &error)) {
    std::fprintf(stderr, "pxsim: %s\n", error.c_str());
    return false;
  }
  for (const std::string& w : store->Warnings()) std::fprintf(stderr, "pxsim: warning: %s: %s\n", path.c_str(), w.c_str());
  return true;
}

std::string Trimmed(const std::string& s) {
  const size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string Firmware(const DeviceConfig& c, const DriveState& s) {
  if (!s.answers) return "does not answer (failed download)";
  std::string text = "running " + Trimmed(s.runningRevision);
  if (s.download == Download::Staged) text += ", staged " + Trimmed(s.stagedRevision) + " (runs after a power cycle)";
  if (s.download == Download::Incomplete)
    text += c.failedDownload == FailedDownload::Dead ? ", download incomplete (dead after a power cycle)"
                                                     : ", download incomplete";
  return text;
}

int Show(const std::string& path) {
  SimStore store;
  if (!OpenStore(path, &store)) return 1;
  const std::vector<DriveState> states = store.States();
  std::printf("%s: %zu devices\n", path.c_str(), store.Count());
  for (size_t i = 0; i < store.Count(); ++i) {
    const DeviceConfig& c = *store.Config(i);
    const DriveState& s = states[i];
    const std::string kind = c.kind == Kind::Disk ? "disk" : c.model.empty() ? "drive" : c.model;
    std::printf("%2zu %-5s %c%c %s %s type %d state %d: %s%s%s, %u power cycles\n", i, kind.c_str(),
                c.letter ? c.letter : '-', c.letter ? ':' : ' ', c.vendor.c_str(), c.product.c_str(), c.typeCode,
                c.stateValue, Firmware(c, s).c_str(), s.trayLocked ? ", tray locked" : "",
                s.fileSystemBlocking ? ", file system blocked" : "", s.powerCycles);
  }
  return 0;
}

int Create(const std::string& path, const std::vector<std::string>& shorthands) {
  std::vector<DeviceConfig> devices;
  for (const std::string& s : shorthands) {
    DeviceConfig d;
    std::string error;
    if (!ParseDeviceShorthand(s, &d, &error)) {
      std::fprintf(stderr, "pxsim: %s\n", error.c_str());
      return 2;
    }
    devices.push_back(d);
  }
  if (!WriteSimFile(path, devices)) {
    std::fprintf(stderr, "pxsim: cannot write %s\n", path.c_str());
    return 1;
  }
  return Show(path);
}

int PowerCycle(const std::string& path) {
  SimStore store;
  if (!OpenStore(path, &store)) return 1;
  if (!store.PowerCycle()) {
    std::fprintf(stderr, "pxsim: cannot lock or write the drive state beside %s\n", path.c_str());
    return 1;
  }
  return Show(path);
}

int Trace(const std::string& path) {
  SimStore store;
  if (!OpenStore(path, &store)) return 1;
  for (const std::string& line : store.TraceLines()) std::printf("%s\n", line.c_str());
  return 0;
}

int ClearTrace(const std::string& path) {
  SimStore store;
  if (!OpenStore(path, &store)) return 1;
  return store.ClearTrace() ? 0 : 1;
}

int Reset(const std::string& path) {
  SimStore store;
  if (!OpenStore(path, &store)) return 1;
  {
    FileLock lock(store.Paths().lock);
    std::remove(store.Paths().state.c_str());
  }
  return Show(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "create") {
    if (argc < 3) return Usage();
    return Create(argv[2], std::vector<std::string>(argv + 3, argv + argc));
  }
  if (argc > 3) return Usage();
  const std::string file = argc == 3 ? argv[2] : DefaultFile();
  if (command == "show") return Show(file);
  if (command == "power-cycle") return PowerCycle(file);
  if (command == "trace") return Trace(file);
  if (command == "clear-trace") return ClearTrace(file);
  if (command == "reset") return Reset(file);
  return Usage();
}
