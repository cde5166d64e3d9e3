#include "flashwiz.h"

static CFlashwizApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) { return AfxWinMain(instance, cmdLine); }
