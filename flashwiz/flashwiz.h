// flashwiz's application object: start-up, run modes and the restart hand-off.
#pragma once

#include <string>

#include "app.h"
#include "cmdline.h"

class CLogFile;

class CFlashwizCommandLineInfo : public CCommandLineInfo {
 public:
  void ParseParam(const char* param, BOOL isSwitch, BOOL isLast) override;
  BOOL IsCheckRun() const { return m_bCheck; }

  BOOL m_bCheck = FALSE;
};

class CFlashwizApp : public CWinApp {
 public:
  CFlashwizApp();
  ~CFlashwizApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

  BOOL IsFirstInstance();
  void SetVersionRegistryKey();
  std::string GetVersionText(BOOL withBuild);
  BOOL IsProgramDirectory(const std::string& dir) const;
  // A seam for tests: Wine always reports an administrator.
  virtual BOOL IsUserAdministrator();

  CLogFile* m_pLog;
  std::string m_strVersion;
  int m_nPlatformId = 0;
  BOOL m_bCheckRun = FALSE;
  BOOL m_bAdministrator = FALSE;

 private:
  void ShowStartupError(const std::string& logText, const std::string& boxText);
  std::string FindProgramDirectory();
  BOOL CheckOperatingSystem();
};
