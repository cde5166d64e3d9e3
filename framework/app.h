// The application object: one per process, started by AfxWinMain.
#pragma once

#include <windows.h>

#include <string>

#include "cmdline.h"

class CWnd {
 public:
  virtual ~CWnd() = default;
  HWND m_hWnd = nullptr;
};

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();

  // FALSE ends the process after ExitInstance.
  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance() { return 0; }

  void ParseCommandLine(CCommandLineInfo& info);

  HINSTANCE m_hInstance = nullptr;
  std::string m_strCmdLine;      // the arguments as typed, without the program
  std::string m_strExeName;      // the executable's base name, no path or extension
  std::string m_strRegistryKey;  // the application registry key
  CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// Runs the process's application object; called from the program's WinMain.
int AfxWinMain(HINSTANCE instance, LPSTR cmdLine);
