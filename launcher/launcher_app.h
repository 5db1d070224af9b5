// The launcher's application object. Its whole work happens in InitInstance(); it never has
// a main window, so the program ends as soon as InitInstance() returns.
#pragma once

#include "framework/handles.h"
#include "framework/win_app.h"

class CLauncherApp : public qv::fw::WinApp {
 public:
  // In this order:
  //  1. takes the named mutex "ZOREZEVUSHELL" (initially owned). When it cannot be made, or
  //     another launcher holds the name, returns false at once: no window, no message;
  //  2. shows the note window (CSplashDlg);
  //  3. writes resource 101 to the temp folder as "vcr.exe", runs it with "/q /norestart"
  //     and waits for it to end (exit code not examined);
  //  4. writes resource 102 as "ostrumsetup4.exe" and starts it without arguments; neither
  //     waits for it nor closes its process handle: the launcher ends right away;
  //  5. destroys the note window and returns true.
  // A step whose file cannot be written or started is skipped (ExtractResourceToTemp tells
  // the user when the temp folder is not writable); the next step runs all the same. The
  // launcher's own command line is never read.
  bool InitInstance() override;

 private:
  // The single-instance mutex, held for the life of the process.
  qv::fw::UniqueHandle m_hMutex;
};
