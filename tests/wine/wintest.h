// Helpers for the Windows test programs: processes, message boxes, files and
// the registry of the build's own Wine prefix.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

// The folder of the running test program, with a trailing backslash: every
// exe and DLL of the build lies there.
std::string BinDir();

// A new empty folder under the temporary folder, with a trailing backslash.
std::string MakeTempDir(const std::string& name);
void RemoveTree(const std::string& dir);
bool CopyTo(const std::string& file, const std::string& dir);

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Splits at CR LF; text after the last line break is reported as a failure.
std::vector<std::string> SplitLines(const std::string& text);

// A message box (or any dialog) that a process shows.
struct Box {
  HWND window;
  std::string caption;
  std::string text;  // the static text of a message box
};

// Runs command line in dir and waits up to timeoutMs. Every dialog that the
// process shows is passed to onBox, which answers it (for example with
// Answer(box, IDOK)). Returns the exit code, or -1 when the process could not
// be started or did not end in time (it is then terminated).
int Run(const std::string& commandLine, const std::string& dir, const std::function<void(const Box&)>& onBox = nullptr,
        DWORD timeoutMs = 30000);
void Answer(const Box& box, int buttonId);

// Runs a command line, waits for it, and returns its exit code (-1 when it
// could not start) with its standard output and error in *output.
int RunWithOutput(const std::string& commandLine, std::string* output);

// A library's export, the library loaded by its file name; null when either
// is missing.
template <typename Function>
Function Export(const char* library, const char* name) {
  HMODULE module = LoadLibraryA(library);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Registry values under HKEY_LOCAL_MACHINE.
void DeleteKey(HKEY root, const std::string& key);
bool SetText(HKEY root, const std::string& key, const std::string& name, const std::string& value);
bool GetText(HKEY root, const std::string& key, const std::string& name, std::string& value);
bool SetNumber(HKEY root, const std::string& key, const std::string& name, DWORD value);
bool GetNumber(HKEY root, const std::string& key, const std::string& name, DWORD& value);

// Wine's per-program Windows version ("win98", "winxp", ...); empty removes it.
void SetWineVersion(const std::string& exeName, const std::string& version);

}  // namespace wintest
