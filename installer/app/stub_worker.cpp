// Placeholder installation worker: finishes at once without installing anything.
// TO BE REPLACED by the real installation sequence (install_worker.cpp).
#include "install_worker.h"
#include "setup_dialog.h"

DWORD WINAPI InstallWorker(LPVOID setupDialog) {
  ShowFinished(static_cast<CDOVazariSetupDlg*>(setupDialog));
  return 0;
}

void StopInstallWorker(CDOVazariSetupDlg&) noexcept {}
