#include "simfile.h"

#include "bus.h"
#include "fileio.h"
#include "ini.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace drivesim {

namespace {

const char* const kMediumNames[] = {"none", "present", "becoming-ready", "unusable", "changed"};
const Medium kMedia[] = {Medium::None, Medium::Present, Medium::BecomingReady, Medium::Unusable, Medium::Changed};

struct Entry {
  int line;
  std::string value;
};

// The keys of one [device] section; refuse and delay may repeat.
struct Section {
  int line;
  std::multimap<std::string, Entry> keys;
};

std::string AtLine(int line, const std::string& message) { return "line " + std::to_string(line) + ": " + message; }

bool ParseInteger(const std::string& text, long min, long max, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < min || v > max) return false;
  *out = v;
  return true;
}

bool ParseHexByte(const std::string& text, Byte* out) {
  if (text.size() != 2) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 16);
  if (*end != '\0') return false;
  *out = static_cast<Byte>(v);
  return true;
}

bool PrintableWithin(const std::string& text, size_t width) {
  if (text.size() > width) return false;
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

// "CB 18 @2 5/24/00", "12 @1 timeout", "1E @3 reset"
bool ParseFault(const std::string& text, Fault* out) {
  std::istringstream in(text);
  std::string token;
  Fault f{};
  while (in >> token && token[0] != '@') {
    Byte b;
    if (!ParseHexByte(token, &b) || f.match.size() == 16) return false;
    f.match.push_back(b);
  }
  long n = 0;
  if (f.match.empty() || token.size() < 2 || token[0] != '@' || !ParseInteger(token.substr(1), 1, 1000000, &n))
    return false;
  f.occurrence = static_cast<uint32_t>(n);
  std::string action, extra;
  if (!(in >> action) || (in >> extra)) return false;
  if (action == "timeout") f.action = FaultAction::Timeout;
  else if (action == "reset") f.action = FaultAction::BusReset;
  else if (ParseSense(action, &f.sense)) f.action = FaultAction::Refuse;
  else return false;
  *out = f;
  return true;
}

// "12 500": every INQUIRY takes half a second.
bool ParseDelay(const std::string& text, Delay* out) {
  std::istringstream in(text);
  std::string op, ms, extra;
  long v = 0;
  if (!(in >> op >> ms) || (in >> extra) || !ParseHexByte(op, &out->opcode) || !ParseInteger(ms, 0, 600000, &v))
    return false;
  out->milliseconds = static_cast<uint32_t>(v);
  return true;
}

class DeviceBuilder {
 public:
  explicit DeviceBuilder(const Section& section) : section_(section) {}

  bool Build(DeviceConfig* out, std::string* error) {
    error_ = error;
    return Start() && ApplyAll() && (*out = config_, true);
  }

 private:
  bool Fail(int line, const std::string& message) {
    *error_ = AtLine(line, message);
    return false;
  }

  const Entry* Single(const std::string& key) {
    if (section_.keys.count(key) == 0) return nullptr;
    return &section_.keys.find(key)->second;
  }

  bool Start() {
    const Entry* kind = Single("kind");
    const Entry* model = Single("model");
    const bool disk = kind && kind->value == "disk";
    if (kind && !disk && kind->value != "drive") return Fail(kind->line, "kind must be drive or disk");
    if (model && disk) return Fail(model->line, "a disk has no model");
    if (model && !FindModel(model->value))
      return Fail(model->line, "unknown model '" + model->value + "' (61ka, 62kb, 63kc, 64kd or 65ke)");
    config_ = model ? DeviceConfig::SupportedDrive(model->value, 0) : disk ? DeviceConfig::Disk(0)
                                                                         : DeviceConfig::OtherDrive(0);
    return true;
  }

  bool ApplyAll() {
    std::string previous;
    for (const auto& [key, entry] : section_.keys) {
      if (key == previous && key != "refuse" && key != "delay") return Fail(entry.line, "'" + key + "' given twice");
      previous = key;
      if (!Apply(key, entry)) return false;
    }
    return true;
  }

  bool Text(const Entry& e, size_t width, std::string* field) {
    if (!PrintableWithin(e.value, width))
      return Fail(e.line, "at most " + std::to_string(width) + " printable characters expected");
    *field = PadRight(e.value, width);
    return true;
  }

  bool Number(const Entry& e, long min, long max, long* v) {
    if (ParseInteger(e.value, min, max, v)) return true;
    return Fail(e.line, "a number from " + std::to_string(min) + " to " + std::to_string(max) + " expected");
  }

  bool Apply(const std::string& key, const Entry& e) {
    long v = 0;
    if (key == "kind" || key == "model") return true;
    if (key == "vendor") return Text(e, kVendorWidth, &config_.vendor);
    if (key == "product") return Text(e, kProductWidth, &config_.product);
    if (key == "revision") return Text(e, kRevisionWidth, &config_.revision);
    if (key == "serial") return Text(e, kSerialWidth, &config_.serial);
    if (key == "letter") return Letter(e);
    if (key == "type") return Number(e, 0, 31, &v) && (config_.typeCode = static_cast<int>(v), true);
    if (key == "state") return Number(e, -2147483647L - 1, 2147483647L, &v) && (config_.stateValue = static_cast<int>(v), true);
    if (key == "medium") return MediumValue(e);
    if (key == "not_ready_tur") return Number(e, 0, 1000000, &v) && (config_.notReadyTurs = static_cast<uint32_t>(v), true);
    if (key == "medium_tur") return Number(e, 0, 1000000, &v) && (config_.mediumForTurs = static_cast<uint32_t>(v), true);
    if (key == "busy_polls") return Number(e, 0, 1000000, &v) && (config_.busyPolls = static_cast<uint32_t>(v), true);
    if (key == "failed_download") return FailedDownloadValue(e);
    if (key == "refuse") return FaultValue(e);
    if (key == "delay") return DelayValue(e);
    return Fail(e.line, "unknown key '" + key + "'");
  }

  bool Letter(const Entry& e) {
    if (e.value == "none") return config_.letter = 0, true;
    const unsigned char c = e.value.empty() ? 0 : static_cast<unsigned char>(e.value[0]);
    if (e.value.size() != 1 || !std::isalpha(c)) return Fail(e.line, "letter must be one letter or none");
    config_.letter = e.value[0];
    return true;
  }

  bool MediumValue(const Entry& e) {
    for (size_t i = 0; i < sizeof kMedia / sizeof kMedia[0]; ++i)
      if (e.value == kMediumNames[i]) return config_.medium = kMedia[i], true;
    return Fail(e.line, "medium must be none, present, becoming-ready, unusable or changed");
  }

  bool FailedDownloadValue(const Entry& e) {
    if (e.value == "keep") return config_.failedDownload = FailedDownload::KeepOld, true;
    if (e.value == "dead") return config_.failedDownload = FailedDownload::Dead, true;
    return Fail(e.line, "failed_download must be keep or dead");
  }

  bool FaultValue(const Entry& e) {
    Fault f;
    if (!ParseFault(e.value, &f))
      return Fail(e.line, "refuse expects hex bytes, @N and a sense K/AA/QQ, timeout or reset (\"CB 18 @2 5/24/00\")");
    config_.faults.push_back(f);
    return true;
  }

  bool DelayValue(const Entry& e) {
    Delay d;
    if (!ParseDelay(e.value, &d)) return Fail(e.line, "delay expects an operation code and milliseconds (\"12 500\")");
    config_.delays.push_back(d);
    return true;
  }

  const Section& section_;
  DeviceConfig config_;
  std::string* error_ = nullptr;
};

bool CollectSections(const std::vector<IniLine>& lines, std::vector<Section>* sections, std::string* error) {
  for (const IniLine& l : lines) {
    if (l.isSection) {
      if (l.name != "device") {
        *error = AtLine(l.number, "unknown section [" + l.name + "]; only [device] sections are known");
        return false;
      }
      sections->push_back({l.number, {}});
      continue;
    }
    if (sections->empty()) {
      *error = AtLine(l.number, "'" + l.name + "' outside a [device] section");
      return false;
    }
    sections->back().keys.insert({l.name, {l.number, l.value}});
  }
  return true;
}

std::string LetterText(char letter) { return letter ? std::string(1, letter) : std::string("none"); }

std::string HexBytes(const std::vector<Byte>& bytes) {
  std::string text;
  char b[4];
  for (Byte v : bytes) {
    std::snprintf(b, sizeof b, "%02X ", v);
    text += b;
  }
  return text;
}

void FormatDevice(const DeviceConfig& c, std::ostream& out) {
  out << "[device]\n";
  out << "kind = " << (c.kind == Kind::Disk ? "disk" : "drive") << "\n";
  if (!c.model.empty()) out << "model = " << c.model << "\n";
  out << "vendor = " << QuoteIniValue(c.vendor) << "\n";
  out << "product = " << QuoteIniValue(c.product) << "\n";
  out << "revision = " << QuoteIniValue(c.revision) << "\n";
  out << "serial = " << QuoteIniValue(c.serial) << "\n";
  out << "letter = " << LetterText(c.letter) << "\n";
  out << "type = " << c.typeCode << "\n";
  out << "state = " << c.stateValue << "\n";
  for (size_t i = 0; i < sizeof kMedia / sizeof kMedia[0]; ++i)
    if (kMedia[i] == c.medium) out << "medium = " << kMediumNames[i] << "\n";
  if (c.notReadyTurs) out << "not_ready_tur = " << c.notReadyTurs << "\n";
  if (c.mediumForTurs) out << "medium_tur = " << c.mediumForTurs << "\n";
  out << "busy_polls = " << c.busyPolls << "\n";
  out << "failed_download = " << (c.failedDownload == FailedDownload::Dead ? "dead" : "keep") << "\n";
  for (const Fault& f : c.faults) {
    out << "refuse = " << HexBytes(f.match) << "@" << f.occurrence << " ";
    if (f.action == FaultAction::Timeout) out << "timeout\n";
    else if (f.action == FaultAction::BusReset) out << "reset\n";
    else out << FormatSense(f.sense) << "\n";
  }
  for (const Delay& d : c.delays) {
    char op[4];
    std::snprintf(op, sizeof op, "%02X", d.opcode);
    out << "delay = " << op << " " << d.milliseconds << "\n";
  }
  out << "\n";
}

}  // namespace

bool ParseSimFile(const std::string& text, SimFile* out, std::string* error) {
  std::vector<IniLine> lines;
  std::vector<Section> sections;
  if (!ParseIni(text, &lines, error) || !CollectSections(lines, &sections, error)) return false;
  SimFile file;
  for (const Section& s : sections) {
    DeviceConfig config;
    if (!DeviceBuilder(s).Build(&config, error)) return false;
    file.devices.push_back(config);
  }
  if (file.devices.size() > kMaxDevices) {
    file.warnings.push_back(std::to_string(file.devices.size()) + " devices: the bus holds " +
                            std::to_string(kMaxDevices) + ", the devices from index " + std::to_string(kMaxDevices) +
                            " on are left out");
    file.devices.resize(kMaxDevices);
  }
  *out = file;
  return true;
}

bool LoadSimFile(const std::string& path, SimFile* out, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    *error = "cannot read the simulation file " + path;
    return false;
  }
  if (ParseSimFile(text, out, error)) return true;
  *error = path + ": " + *error;
  return false;
}

std::string FormatSimFile(const std::vector<DeviceConfig>& devices) {
  std::ostringstream out;
  out << "; Simulated drives, in bus index order.\n\n";
  for (const DeviceConfig& d : devices) FormatDevice(d, out);
  return out.str();
}

bool WriteSimFile(const std::string& path, const std::vector<DeviceConfig>& devices) {
  return ReplaceWholeFile(path, FormatSimFile(devices));
}

bool ParseDeviceShorthand(const std::string& text, DeviceConfig* out, std::string* error) {
  const size_t colon = text.find(':');
  const std::string what = text.substr(0, colon);
  const std::string letter = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  if (colon != std::string::npos && (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])))) {
    *error = "'" + text + "': the letter after ':' must be one letter";
    return false;
  }
  const char l = letter.empty() ? 0 : letter[0];
  if (what == "disk") *out = DeviceConfig::Disk(l);
  else if (what == "drive") *out = DeviceConfig::OtherDrive(l);
  else if (FindModel(what)) *out = DeviceConfig::SupportedDrive(what, l);
  else {
    *error = "'" + text + "': expected a model (61ka, 62kb, 63kc, 64kd, 65ke), drive or disk";
    return false;
  }
  return true;
}

}  // namespace drivesim
