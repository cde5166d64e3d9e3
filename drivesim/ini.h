// The plain INI text of the simulation and state files: sections, key =
// value, full-line comments starting with ';' or '#'.
#pragma once

#include <string>
#include <vector>

namespace drivesim {

struct IniLine {
  int number;
  bool isSection;
  std::string name;   // section name, or key (both lower case)
  std::string value;  // trimmed; the inside of "..." when quoted
};

// False with "line N: ..." in *error for a line that is neither.
bool ParseIni(const std::string& text, std::vector<IniLine>* lines, std::string* error);

// A value written so that ParseIni gives it back unchanged.
std::string QuoteIniValue(const std::string& value);

}  // namespace drivesim
