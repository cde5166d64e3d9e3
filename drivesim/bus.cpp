#include "bus.h"

#include <cstdio>
#include <sstream>

namespace drivesim {

namespace {

const char* DirectionName(Direction d) {
  switch (d) {
    case Direction::In: return "in";
    case Direction::Out: return "out";
    case Direction::None: break;
  }
  return "none";
}

const char* StatusName(Status s) {
  switch (s) {
    case Status::CheckCondition: return "check";
    case Status::NoAnswer: return "noanswer";
    case Status::HostFailure: return "hostfailure";
    case Status::Good: break;
  }
  return "good";
}

bool ParseDirection(const std::string& text, Direction* out) {
  for (Direction d : {Direction::None, Direction::In, Direction::Out})
    if (text == DirectionName(d)) return *out = d, true;
  return false;
}

bool ParseStatus(const std::string& text, Status* out) {
  for (Status s : {Status::Good, Status::CheckCondition, Status::NoAnswer, Status::HostFailure})
    if (text == StatusName(s)) return *out = s, true;
  return false;
}

bool TakePrefixed(const std::string& token, const char* prefix, std::string* value) {
  const std::string p(prefix);
  if (token.compare(0, p.size(), p) != 0) return false;
  *value = token.substr(p.size());
  return true;
}

bool ParseHexByte(const std::string& text, Byte* out) {
  if (text.size() != 2) return false;
  unsigned v = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2x%c", &v, &tail) != 1) return false;
  *out = static_cast<Byte>(v);
  return true;
}

bool ParseCount(const std::string& text, size_t* out) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *out = std::stoul(text);
  return true;
}

}  // namespace

std::string TraceEntry::CdbHex() const {
  std::string hex;
  char b[4];
  for (size_t i = 0; i < cdb.size(); ++i) {
    std::snprintf(b, sizeof b, i ? " %02X" : "%02X", cdb[i]);
    hex += b;
  }
  return hex;
}

std::string TraceEntry::Format() const {
  std::ostringstream line;
  line << "dev=" << device << " cdb=" << CdbHex() << " dir=" << DirectionName(direction) << " len=" << dataLength
       << " status=" << StatusName(status) << " sense=" << FormatSense(sense);
  return line.str();
}

bool TraceEntry::Parse(const std::string& line, TraceEntry* out) {
  std::istringstream in(line);
  std::string token, value;
  TraceEntry e;
  if (!(in >> token) || !TakePrefixed(token, "dev=", &value) || !ParseCount(value, &e.device)) return false;
  if (!(in >> token) || !TakePrefixed(token, "cdb=", &value)) return false;
  for (;;) {
    Byte b;
    if (!ParseHexByte(value, &b)) return false;
    e.cdb.push_back(b);
    if (!(in >> token)) return false;
    if (TakePrefixed(token, "dir=", &value)) break;
    value = token;
  }
  if (!ParseDirection(value, &e.direction)) return false;
  if (!(in >> token) || !TakePrefixed(token, "len=", &value) || !ParseCount(value, &e.dataLength)) return false;
  if (!(in >> token) || !TakePrefixed(token, "status=", &value) || !ParseStatus(value, &e.status)) return false;
  if (!(in >> token) || !TakePrefixed(token, "sense=", &value) || !ParseSense(value, &e.sense)) return false;
  *out = e;
  return true;
}

SimBus::SimBus(const std::vector<DeviceConfig>& configs) {
  for (size_t i = 0; i < configs.size() && i < kMaxDevices; ++i) devices_.emplace_back(configs[i]);
}

Reply SimBus::Execute(size_t index, const Command& cmd) {
  SimDevice* device = Device(index);
  Reply reply = device ? device->Execute(cmd) : Reply{Status::HostFailure, sense::kNone, 0};
  TraceEntry e;
  e.device = index;
  if (cmd.cdb) e.cdb.assign(cmd.cdb, cmd.cdb + cmd.cdbLength);
  e.direction = cmd.direction;
  e.dataLength = cmd.dataLength;
  e.status = reply.status;
  e.sense = reply.sense;
  trace_.push_back(e);
  return reply;
}

void SimBus::PowerCycleAll() {
  for (SimDevice& d : devices_) d.PowerCycle();
}

}  // namespace drivesim
