#include "flashwiz.h"

#include <objbase.h>

#include <memory>

#include "logfile.h"
#include "stringtable.h"
#include "vqreg.h"
#include "waitcursor.h"

namespace {

const char kRegistryKeyBase[] = "SOFTWARE\\Varquell-Ostrum\\VQ Firmware Update\\";
const char kStatusFileName[] = "\\status.txt";
const DWORD kCurrentDirectoryBuffer = 259;

BOOL FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithBackslash(const std::string& dir) {
  return !dir.empty() && dir.back() == '\\' ? dir : dir + "\\";
}

}  // namespace

void CFlashwizCommandLineInfo::ParseParam(const char* param, BOOL isSwitch, BOOL isLast) {
  if (isSwitch) {
    if (lstrcmpiA(param, "CHECK") == 0) m_bCheck = TRUE;
  } else {
    m_strFileName = param;
  }
  if (isLast) m_nShellCommand = m_strFileName.empty() ? FileNew : FileOpen;
}

CFlashwizApp::CFlashwizApp() : m_pLog(new CLogFile) {}

CFlashwizApp::~CFlashwizApp() { delete m_pLog; }

BOOL CFlashwizApp::IsFirstInstance() {
  HWND window = FindWindowA(nullptr, LoadStringText(1).c_str());
  if (!window) return TRUE;
  HWND popup = GetLastActivePopup(window);
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(popup);
  return FALSE;
}

std::string CFlashwizApp::GetVersionText(BOOL withBuild) {
  m_strVersion.clear();
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(m_hInstance, path, MAX_PATH);
  path[length < MAX_PATH ? length : MAX_PATH] = '\0';
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return m_strVersion;
  std::unique_ptr<BYTE[]> block(new BYTE[size]);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoA(path, 0, size, block.get()) ||
      !VerQueryValueA(block.get(), "\\", reinterpret_cast<void**>(&info), &infoSize) || infoSize < sizeof *info)
    return m_strVersion;
  m_strVersion = withBuild ? FormatText("%d.%d.%d", HIWORD(info->dwProductVersionMS),
                                        LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS))
                           : FormatText("%d.%d", HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS));
  return m_strVersion;
}

void CFlashwizApp::SetVersionRegistryKey() { m_strRegistryKey = kRegistryKeyBase + GetVersionText(FALSE); }

BOOL CFlashwizApp::IsProgramDirectory(const std::string& dir) const {
  if (dir.empty()) return FALSE;
  return FileExists(WithBackslash(dir) + m_strExeName + ".EXE");
}

BOOL CFlashwizApp::IsUserAdministrator() {
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
      return FALSE;
  }
  // Room for the groups of an ordinary user's token.
  alignas(TOKEN_GROUPS) BYTE buffer[1024];
  DWORD size = 0;
  BOOL read = GetTokenInformation(token, TokenGroups, buffer, sizeof buffer, &size);
  CloseHandle(token);
  if (!read) return FALSE;

  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                0, &administrators))
    return FALSE;
  const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer);
  BOOL found = FALSE;
  for (DWORD i = 0; i < groups->GroupCount && !found; ++i) found = EqualSid(groups->Groups[i].Sid, administrators);
  FreeSid(administrators);
  return found;
}

void CFlashwizApp::ShowStartupError(const std::string& logText, const std::string& boxText) {
  if (!logText.empty()) m_pLog->Write(logText);
  MessageBoxA(nullptr, boxText.c_str(), LoadStringText(1).c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

std::string CFlashwizApp::FindProgramDirectory() {
  std::string dir;
  GetWorkingDirectory(dir);
  if (IsProgramDirectory(dir)) return dir;
  char current[kCurrentDirectoryBuffer + 1] = "";
  DWORD length = GetCurrentDirectoryA(kCurrentDirectoryBuffer, current);
  dir = length > 0 && length < kCurrentDirectoryBuffer && IsProgramDirectory(current) ? current : "";
  PutWorkingDirectory(dir);
  return dir;
}

// Logs the operating-system line; FALSE ends the run (an NT user without
// administrator rights).
BOOL CFlashwizApp::CheckOperatingSystem() {
  m_bAdministrator = FALSE;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  m_nPlatformId = static_cast<int>(version.dwPlatformId);
  std::string system;
  if (m_nPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    unsigned id = version.dwMinorVersion == 0 ? 97 : version.dwMinorVersion == 10 ? 98 : 99;
    system = FormatString(id, version.szCSDVersion);
  } else if (m_nPlatformId == VER_PLATFORM_WIN32_NT) {
    system = FormatString(100, static_cast<int>(version.dwMajorVersion), static_cast<int>(version.dwMinorVersion),
                          version.szCSDVersion);
    m_bAdministrator = IsUserAdministrator();
    if (m_bAdministrator != 1) {
      ShowStartupError(LoadStringText(95), LoadStringText(52));
      return FALSE;
    }
  } else {
    system = LoadStringText(101);
  }
  m_pLog->WriteMessage(96, TrimRight(system).c_str());
  return TRUE;
}

BOOL CFlashwizApp::InitInstance() {
  if (!IsFirstInstance()) return FALSE;
  CWaitCursor wait;

  CFlashwizCommandLineInfo commandLine;
  SetVersionRegistryKey();
  if (CoInitialize(nullptr) != S_OK) {
    ShowStartupError(std::string(), LoadStringText(59));
    return FALSE;
  }

  ParseCommandLine(commandLine);
  if (commandLine.m_nShellCommand == CCommandLineInfo::FileOpen) PutFirmwareFileName(commandLine.m_strFileName);
  m_bCheckRun = commandLine.IsCheckRun();

  std::string dir = FindProgramDirectory();
  m_pLog->Open((dir.empty() ? std::string("C:") : dir) + kStatusFileName, TRUE, m_bCheckRun);

  if (!CheckOperatingSystem()) return FALSE;
  // The drive scan and the wizard follow here.
  return FALSE;
}

int CFlashwizApp::ExitInstance() {
  CoUninitialize();
  delete m_pLog;
  m_pLog = nullptr;
  return 0;
}
