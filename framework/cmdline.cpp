#include "cmdline.h"

void CCommandLineInfo::ParseParam(const char* param, BOOL isSwitch, BOOL isLast) {
  if (!isSwitch) m_strFileName = param;
  if (isLast) m_nShellCommand = m_strFileName.empty() ? FileNew : FileOpen;
}

void CCommandLineInfo::ParseArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* param = argv[i];
    BOOL isSwitch = param[0] == '/' || param[0] == '-';
    if (isSwitch) ++param;
    ParseParam(param, isSwitch, i == argc - 1);
  }
}
