#include "stringtable.h"

#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

std::string LoadStringText(unsigned id) {
#ifdef _WIN32
  // The longest texts of the tables are well below this.
  char buffer[4096];
  int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? length : 0);
#else
  for (unsigned i = 0; i < g_stringTableSize; ++i)
    if (g_stringTable[i].id == id) return g_stringTable[i].text;
  return std::string();
#endif
}

std::string FormatTextV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::vector<char> buffer(length + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  return std::string(buffer.data(), length);
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(format, args);
  va_end(args);
  return text;
}

std::string FormatStringV(unsigned id, va_list args) {
  return FormatTextV(LoadStringText(id).c_str(), args);
}

std::string FormatString(unsigned id, ...) {
  va_list args;
  va_start(args, id);
  std::string text = FormatStringV(id, args);
  va_end(args);
  return text;
}

std::string TrimRight(const std::string& text) {
  size_t end = text.find_last_not_of(" \t\r\n");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}
