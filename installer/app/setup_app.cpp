#include "setup_app.h"

#include <commctrl.h>

#include <cstdio>

#include "command_line.h"
#include "install_worker.h"
#include "setup_dialog.h"

CDOVazariSetupApp::CDOVazariSetupApp() noexcept { m_dwRestartManagerSupportFlags = 1; }

bool CDOVazariSetupApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);

  const HANDLE mutex = CreateMutexA(nullptr, FALSE, "ZOREZEVUSETUP");
  if (mutex == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  m_hSingleInstance.reset(mutex);

  const bool silent = qv::setup::IsSilentCommandLine(GetCommandLineA());
  CDOVazariSetupDlg dlg(silent);
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;

  // The close box or Esc ended the window while the worker runs. Stop it as a confirmed
  // cancel does, between steps and entries, so that no file is left half-written; the
  // window is gone, so its reports fall away meanwhile. Should it still run (it could not
  // be stopped), end the process here so the window object is never destroyed under it.
  if (dlg.IsWorkerRunning()) StopInstallWorker(dlg);
  if (dlg.IsWorkerRunning()) {
    std::fflush(nullptr);
    ExitProcess(0);
  }
  return false;
}
