// Command-line parser: hands every argument to ParseParam, a switch (an
// argument starting with "/" or "-") without that character.
#pragma once

#include <string>

#include "platform.h"

class CCommandLineInfo {
 public:
  enum ShellCommand { FileNew, FileOpen };

  virtual ~CCommandLineInfo() = default;
  virtual void ParseParam(const char* param, BOOL isSwitch, BOOL isLast);

  // argv[0] is the program and is not passed on.
  void ParseArguments(int argc, char** argv);

  ShellCommand m_nShellCommand = FileNew;
  std::string m_strFileName;
};
