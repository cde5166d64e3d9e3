#include "ini.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace drivesim {

namespace {

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  const size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

bool ParseIni(const std::string& text, std::vector<IniLine>* lines, std::string* error) {
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') {
        *error = "line " + std::to_string(number) + ": section name without ']'";
        return false;
      }
      lines->push_back({number, true, Lower(Trim(line.substr(1, line.size() - 2))), ""});
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || Trim(line.substr(0, eq)).empty()) {
      *error = "line " + std::to_string(number) + ": expected 'key = value' or '[section]'";
      return false;
    }
    lines->push_back({number, false, Lower(Trim(line.substr(0, eq))), Unquote(Trim(line.substr(eq + 1)))});
  }
  return true;
}

std::string QuoteIniValue(const std::string& value) { return "\"" + value + "\""; }

}  // namespace drivesim
