#include "store.h"

#include "fileio.h"
#include "statefile.h"

#include <sstream>

namespace drivesim {

SimPaths SimPaths::For(const std::string& simPath) {
  const size_t slash = simPath.find_last_of("/\\");
  const size_t dot = simPath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExtension ? simPath.substr(0, dot) : simPath;
  return {simPath, stem + ".state", stem + ".trace", stem + ".lock"};
}

// Holds the lock from loading the state to saving it and the trace.
class SimStore::Transaction {
 public:
  explicit Transaction(SimStore& store) : store_(store), lock_(store.paths_.lock) {
    std::string text;
    ReadWholeFile(store_.paths_.state, &text);
    std::vector<DriveState> states = ParseStateFile(text, store_.fingerprint_, store_.file_.devices);
    for (size_t i = 0; i < states.size(); ++i) store_.bus_->Device(i)->SetState(states[i]);
  }

  ~Transaction() {
    if (!changed_) return;
    std::vector<DriveState> states;
    for (size_t i = 0; i < store_.bus_->Count(); ++i) states.push_back(store_.bus_->Device(i)->State());
    ReplaceWholeFile(store_.paths_.state, FormatStateFile(states, store_.fingerprint_));
    std::string lines;
    for (const TraceEntry& e : store_.bus_->Trace()) lines += e.Format() + "\n";
    if (!lines.empty()) AppendToFile(store_.paths_.trace, lines);
    store_.bus_->ClearTrace();
  }

  bool Held() const { return lock_.Held(); }
  void Changed() { changed_ = true; }

 private:
  SimStore& store_;
  FileLock lock_;
  bool changed_ = false;
};

bool SimStore::Open(const std::string& simPath, std::string* error) {
  paths_ = SimPaths::For(simPath);
  file_ = SimFile();
  bus_ = std::make_unique<SimBus>(std::vector<DeviceConfig>());
  std::string text;
  if (!ReadWholeFile(simPath, &text)) {
    *error = "cannot read the simulation file " + simPath;
    return false;
  }
  SimFile file;
  if (!ParseSimFile(text, &file, error)) {
    *error = simPath + ": " + *error;
    return false;
  }
  file_ = file;
  fingerprint_ = Fingerprint(text);
  bus_ = std::make_unique<SimBus>(file_.devices);
  return true;
}

const DeviceConfig* SimStore::Config(size_t index) const {
  return index < file_.devices.size() ? &file_.devices[index] : nullptr;
}

Reply SimStore::Execute(size_t index, const Command& cmd) {
  Transaction t(*this);
  if (!t.Held()) return {Status::HostFailure, sense::kNone, 0};
  t.Changed();
  return bus_->Execute(index, cmd);
}

bool SimStore::LastSense(size_t index, Sense* out) {
  Transaction t(*this);
  if (!t.Held() || index >= Count()) return false;
  *out = bus_->Device(index)->State().lastSense;
  return true;
}

bool SimStore::SetFileSystemBlocking(size_t index, bool on) {
  Transaction t(*this);
  if (!t.Held() || index >= Count()) return false;
  bus_->Device(index)->State().fileSystemBlocking = on;
  t.Changed();
  return true;
}

bool SimStore::PowerCycle() {
  Transaction t(*this);
  if (!t.Held()) return false;
  bus_->PowerCycleAll();
  t.Changed();
  return true;
}

std::vector<DriveState> SimStore::States() {
  Transaction t(*this);
  std::vector<DriveState> states;
  for (size_t i = 0; i < bus_->Count(); ++i) states.push_back(bus_->Device(i)->State());
  return states;
}

std::vector<std::string> SimStore::TraceLines() {
  FileLock lock(paths_.lock);
  std::string text;
  ReadWholeFile(paths_.trace, &text);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

bool SimStore::ClearTrace() {
  FileLock lock(paths_.lock);
  return lock.Held() && ReplaceWholeFile(paths_.trace, "");
}

}  // namespace drivesim
