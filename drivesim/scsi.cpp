#include "scsi.h"

#include <cstdio>

namespace drivesim {

std::string FormatSense(const Sense& s) {
  char text[16];
  std::snprintf(text, sizeof text, "%X/%02X/%02X", s.key & 0x0F, s.asc, s.ascq);
  return text;
}

bool ParseSense(const std::string& text, Sense* out) {
  unsigned key = 0, asc = 0, ascq = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%x/%x/%x%c", &key, &asc, &ascq, &tail) != 3) return false;
  if (key > 0x0F || asc > 0xFF || ascq > 0xFF) return false;
  *out = {static_cast<Byte>(key), static_cast<Byte>(asc), static_cast<Byte>(ascq)};
  return true;
}

}  // namespace drivesim
