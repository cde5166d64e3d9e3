// flashwiz as a user outside the Administrators group sees it: Wine always
// reports an administrator, so this build answers the group test with no.
#include "flashwiz.h"

namespace {

class CNonAdministratorApp : public CFlashwizApp {
 public:
  BOOL IsUserAdministrator() override { return FALSE; }
};

CNonAdministratorApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) { return AfxWinMain(instance, cmdLine); }
