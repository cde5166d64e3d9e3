// String-table texts and printf-style formatting into std::string.
// Texts are Windows-1252 bytes, as the string tables store them.
#pragma once

#include <cstdarg>
#include <string>

// Text of string-table entry id; empty when there is none.
std::string LoadStringText(unsigned id);

// printf-style formatting of string-table entry id with the arguments given.
std::string FormatString(unsigned id, ...);
std::string FormatStringV(unsigned id, va_list args);

// printf-style formatting of a format text.
std::string FormatText(const char* format, ...);
std::string FormatTextV(const char* format, va_list args);

// The text without its trailing blanks, tabs and line breaks.
std::string TrimRight(const std::string& text);

#ifndef _WIN32
// Native builds have no resources: the program links its string table.
struct StringTableEntry {
  unsigned id;
  const char* text;
};
extern const StringTableEntry g_stringTable[];
extern const unsigned g_stringTableSize;
#endif
