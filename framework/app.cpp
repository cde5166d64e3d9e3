#include "app.h"

#include <cstdlib>

static CWinApp* g_app = nullptr;

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

void CWinApp::ParseCommandLine(CCommandLineInfo& info) { info.ParseArguments(__argc, __argv); }

static std::string ModuleBaseName(HINSTANCE instance) {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
  std::string name(path, length < MAX_PATH ? length : MAX_PATH);
  size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

int AfxWinMain(HINSTANCE instance, LPSTR cmdLine) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  app->m_strCmdLine = cmdLine ? cmdLine : "";
  app->m_strExeName = ModuleBaseName(instance);
  // The dialog-based programs do all their work inside InitInstance.
  app->InitInstance();
  return app->ExitInstance();
}
