// The installer's entry: the one application object and WinMain.
#include <windows.h>

#include "setup_app.h"

CDOVazariSetupApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qv::fw::RunApplication(); }
