// The application object and the program's entry.
//
// A program defines exactly one global object of a class derived from WinApp and a WinMain
// that only calls RunApplication():
//
//   CMyApp theApp;
//   int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qv::fw::RunApplication(); }
//
// Order of calls:
//   1. Global construction: WinApp's constructor registers the object as the application
//      (WinApp::Current()). It must not make windows; nothing of the framework runs yet.
//   2. RunApplication() calls InitInstance() on the main thread.
//   3. InitInstance() true: Run() follows. With no main window it ends at once; with a
//      modeless main window it pumps messages (with the dialog keyboard handling for that
//      window) until WM_QUIT, which the main window's destruction posts.
//      InitInstance() false: no message loop.
//   4. ExitInstance() gives the program's exit code (0 unless a derived class says otherwise).
//   An exception thrown by InitInstance() or ExitInstance() is caught; the program then ends
//   with exit code 1.
#pragma once

#include <windows.h>

namespace qv::fw {

class Dialog;

class WinApp {
public:
  WinApp() noexcept;
  virtual ~WinApp();
  WinApp(const WinApp&) = delete;
  WinApp& operator=(const WinApp&) = delete;

  // The registered application object, or null before its construction / after its end.
  static WinApp* Current() noexcept;

  virtual bool InitInstance() = 0;
  virtual int ExitInstance() { return 0; }
  // The message loop of step 3; returns ExitInstance()'s result.
  int Run();

  // The main window: set by InitInstance() for the time that window runs; not owned.
  Dialog* m_pMainWnd = nullptr;
  // Restart-manager support flags of the application (1: restart supported). Recorded only:
  // this framework does not register with the restart manager.
  DWORD m_dwRestartManagerSupportFlags = 0;
};

// Runs the registered application (steps 2 to 4); the program's WinMain returns its result.
// Returns 1 when no application object exists.
int RunApplication() noexcept;

// The application's name: the running executable's file name without folder and extension
// (from GetModuleFileNameA), e.g. "QVStampSetup" for ...\QVStampSetup.exe. Computed on the
// first call and kept for the process's life; callable from any thread.
const char* ApplicationName() noexcept;

}  // namespace qv::fw
