#include "statefile.h"

#include "ini.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace drivesim {

namespace {

const char* DownloadName(Download d) {
  switch (d) {
    case Download::Incomplete: return "incomplete";
    case Download::Staged: return "staged";
    case Download::None: break;
  }
  return "none";
}

bool ParseDownload(const std::string& text, Download* out) {
  for (Download d : {Download::None, Download::Incomplete, Download::Staged})
    if (text == DownloadName(d)) return *out = d, true;
  return false;
}

bool ParseUnsigned(const std::string& text, uint32_t* out) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (v > 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool ParseFlag(const std::string& text, bool* out) {
  if (text != "0" && text != "1") return false;
  *out = text == "1";
  return true;
}

bool ParseCounts(const std::string& text, std::vector<uint32_t>* out) {
  std::istringstream in(text);
  std::string token;
  out->clear();
  while (in >> token) {
    uint32_t v;
    if (!ParseUnsigned(token, &v)) return false;
    out->push_back(v);
  }
  return true;
}

bool ApplyKey(const IniLine& l, DriveState* s) {
  if (l.name == "running") return s->runningRevision = l.value, l.value.size() <= kRevisionWidth;
  if (l.name == "staged") return s->stagedRevision = l.value, l.value.size() <= kRevisionWidth;
  if (l.name == "download") return ParseDownload(l.value, &s->download);
  if (l.name == "answers") return ParseFlag(l.value, &s->answers);
  if (l.name == "power_cycles") return ParseUnsigned(l.value, &s->powerCycles);
  if (l.name == "tray_locked") return ParseFlag(l.value, &s->trayLocked);
  if (l.name == "fs_blocking") return ParseFlag(l.value, &s->fileSystemBlocking);
  if (l.name == "last_sense") return ParseSense(l.value, &s->lastSense);
  if (l.name == "tur_count") return ParseUnsigned(l.value, &s->turCount);
  if (l.name == "change_reported") return ParseFlag(l.value, &s->changeReported);
  if (l.name == "fault_counts") return ParseCounts(l.value, &s->faultCounts);
  return false;
}

std::vector<DriveState> InitialStates(const std::vector<DeviceConfig>& devices) {
  std::vector<DriveState> states;
  for (const DeviceConfig& d : devices) states.push_back(DriveState::Initial(d));
  return states;
}

}  // namespace

uint32_t Fingerprint(const std::string& simText) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (unsigned char c : simText) h = (h ^ c) * 16777619u;
  return h;
}

std::string FormatStateFile(const std::vector<DriveState>& states, uint32_t fingerprint) {
  std::ostringstream out;
  char fp[16];
  std::snprintf(fp, sizeof fp, "%08X", fingerprint);
  out << "; Simulated drive state, kept by PX.DLL and pxsim. Delete it to start afresh.\n";
  out << "[simulation]\nfingerprint = " << fp << "\n\n";
  for (const DriveState& s : states) {
    out << "[device]\n";
    out << "running = " << QuoteIniValue(s.runningRevision) << "\n";
    out << "staged = " << QuoteIniValue(s.stagedRevision) << "\n";
    out << "download = " << DownloadName(s.download) << "\n";
    out << "answers = " << s.answers << "\n";
    out << "power_cycles = " << s.powerCycles << "\n";
    out << "tray_locked = " << s.trayLocked << "\n";
    out << "fs_blocking = " << s.fileSystemBlocking << "\n";
    out << "last_sense = " << FormatSense(s.lastSense) << "\n";
    out << "tur_count = " << s.turCount << "\n";
    out << "change_reported = " << s.changeReported << "\n";
    out << "fault_counts =";
    for (uint32_t c : s.faultCounts) out << " " << c;
    out << "\n\n";
  }
  return out.str();
}

std::vector<DriveState> ParseStateFile(const std::string& text, uint32_t fingerprint,
                                       const std::vector<DeviceConfig>& devices) {
  std::vector<IniLine> lines;
  std::string error;
  if (!ParseIni(text, &lines, &error)) return InitialStates(devices);
  char fp[16];
  std::snprintf(fp, sizeof fp, "%08X", fingerprint);
  bool fingerprintSeen = false;
  std::vector<DriveState> states;
  for (const IniLine& l : lines) {
    if (l.isSection) {
      if (l.name == "device") {
        if (states.size() == devices.size()) return InitialStates(devices);
        states.push_back(DriveState::Initial(devices[states.size()]));
      }
      continue;
    }
    if (l.name == "fingerprint") {
      fingerprintSeen = l.value == fp;
      continue;
    }
    if (states.empty() || !ApplyKey(l, &states.back())) return InitialStates(devices);
  }
  if (!fingerprintSeen || states.size() != devices.size()) return InitialStates(devices);
  for (size_t i = 0; i < states.size(); ++i) states[i].faultCounts.resize(devices[i].faults.size(), 0);
  return states;
}

}  // namespace drivesim
