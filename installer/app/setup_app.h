// CDOVazariSetupApp: the installer's application object (one global instance, defined by
// the program's main source).
//
// InitInstance, in order:
//   1. InitCommonControlsEx (ICC_WIN95_CLASSES, which includes the progress bar).
//   2-5. The framework needs no base initialisation, ActiveX containment, shell manager or
//      registry key: this program keeps no settings and hosts no ActiveX controls.
//   6. Single instance: the mutex "ZOREZEVUSETUP", created unowned and held until the
//      process ends. No handle, or the name existed: return false at once (no window, no
//      message; the running copy is not told).
//   7. Silent flag: the argument text of GetCommandLineA() is exactly "-s" or "-S".
//   8-9. The setup window, a local object made with the flag, becomes the main window and
//      runs modally; its result is not used.
//   10-12. If the worker thread still runs when the modal run ends (the window was closed
//      during the installation, or the stop hook could not stop it), the process ends right
//      here with exit code 0: the window object, which the worker borrows, is never
//      destroyed while the worker may still use it, and the worker ends with the process.
//      Otherwise the window object is destroyed and InitInstance returns false, so no
//      message loop follows and the program ends (exit code 0).
#pragma once

#include "handles.h"
#include "win_app.h"

class CDOVazariSetupApp : public qv::fw::WinApp {
public:
  CDOVazariSetupApp() noexcept;
  bool InitInstance() override;

private:
  qv::fw::UniqueHandle m_hSingleInstance;  // "ZOREZEVUSETUP"
};
