// The installation worker: the routine that the setup window runs on its worker thread.
//
// The app library declares these two functions and does not define them: every program that
// links qv_installer_app links exactly one worker source that defines both (the real
// installation, or a test or placeholder worker).
#pragma once

#include <windows.h>

class CDOVazariSetupDlg;

// Thread routine. `setupDialog` is the CDOVazariSetupDlg that started it; the worker
// borrows it for its whole run and frees nothing in it. The worker reports only through the
// window's thread-safe operations: AppendLogLine, ShowFinished, the progress bar's messages
// and the window's MessageBox. Its result is not read.
DWORD WINAPI InstallWorker(LPVOID setupDialog);

// Called on the window's thread when the user has confirmed cancelling while the worker
// thread exists (m_hWorker set), before the window ends. It must return only once the worker
// touches neither the window nor its fields again (for instance: request a stop and wait
// for the thread). A worker that cannot stop may do nothing: start-up then ends the process
// without destroying the window object (see CDOVazariSetupApp::InitInstance).
// To wait, use setupDialog.WaitForWorker(): the worker may be inside a call that waits for
// this very thread (AppendLogLine, ShowFinished, progress, a message box). Must not throw.
void StopInstallWorker(CDOVazariSetupDlg& setupDialog) noexcept;
