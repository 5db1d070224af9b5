// CDOVazariSetupDlg: the installer's setup window (dialog template 102).
//
// States and what each shows (controls by id):
//
//   control            Ready          Installing     Finished
//   1005 picture       shown          hidden         shown
//   1003 notes         shown          hidden         hidden
//   1009 log           hidden         shown          hidden
//   1007 progress      hidden         shown          hidden
//   1004 title         shown          hidden         shown, "安装完成!"
//   1001 "安装"        shown          hidden         hidden
//   1002               "取消"         "取消"         "完成"
//
// Life of one object (see CDOVazariSetupApp::InitInstance):
//   construction (silent flag) -> DoModal(): OnInitDialog() sets up the window and calls
//   SetUiState(Ready); in silent mode that at once switches to Installing and starts the
//   worker -> the user's clicks and the worker's reports -> the modal run ends ("完成",
//   "取消" answered Yes, the close box, Esc, or ShowFinished in silent mode) -> the object is
//   destroyed only after the worker thread has ended (or never, when the process ends
//   while the worker still runs).
//
// Threads. Handlers, initialisation and SetUiState run on the window's (main) thread. The
// worker thread uses only these, each applied before the call returns:
//   - AppendLogLine, ShowFinished: SendMessage of a private WM_APP message to the window,
//     handled on the main thread while the worker waits;
//   - the progress bar: the worker sends PBM_SETRANGE / PBM_SETPOS to m_ctlProgress itself
//     (Win32 sends them to the main thread and waits);
//   - MessageBox (from qv::fw::Dialog): a box owned by the window, run on the worker
//     thread; the window is disabled while it is open and the main thread keeps handling
//     its messages.
//   The worker reads the paths and m_bSilent, which are written before it starts.
//   m_nState is written and read on the main thread only.
#pragma once

#include <windows.h>

#include <string>

#include "dialog.h"
#include "handles.h"
#include "installer/package/catalog.h"
#include "setup_state.h"

class CDOVazariSetupDlg : public qv::fw::Dialog {
public:
  // Template 102 without an owner; loads the program icon; empty paths.
  explicit CDOVazariSetupDlg(bool bSilent);
  ~CDOVazariSetupDlg() override;

  // Stores the state and switches the controls to it (table above). Ready in silent mode
  // goes on to Install at once; Finished in silent mode ends the modal run with IDOK.
  // Any other value only stores the state. Main thread only.
  void SetUiState(SetupState state);

  // Button 1001: Ready -> Installing, then starts the worker (InstallWorker) on a new
  // thread whose handle is kept in m_hWorker. Does nothing in any other state, so a second
  // click (or Enter reaching the hidden default button) never starts a second worker.
  void OnBnClickedInstall();
  // Button 1002: Finished ends the modal run with IDOK. Otherwise asks "您确定要取消安装吗?"
  // (caption "提示", Yes/No); on Yes stops the worker (StopInstallWorker) when one was
  // started and ends the modal run with IDOK; any other answer changes nothing.
  void OnBnClickedCancel();

  // True while the worker thread exists and has not ended.
  bool IsWorkerRunning() const noexcept;
  // Waits on the window's thread up to `timeoutMs` (INFINITE allowed) for the worker thread
  // to end, handling meanwhile the messages that other threads send to the window: a
  // worker inside AppendLogLine, ShowFinished, a progress message or one of its message
  // boxes can finish that call (a plain WaitForSingleObject here would deadlock with it).
  // True when the worker has ended or was never started.
  bool WaitForWorker(DWORD timeoutMs);

  HICON Icon() const noexcept { return m_hIcon.get(); }

  // Fields in declaration order. The worker uses them directly.
  qv::fw::Icon m_hIcon;                // program icon, resource 128
  SetupState m_nState = Ready;         // first set to Ready by initialisation
  qv::fw::UniqueHandle m_hWorker;      // worker thread; none until started
  qv::fw::Control m_stcTitle;          // 1004 title text
  qv::fw::Control m_stcPicture;        // 1005 picture
  qv::fw::Control m_stcPanel;          // 1006 frame that places the picture; hidden
  qv::fw::Control m_ctlProgress;       // 1007 progress bar, driven by the worker alone
  std::string m_strSetupIndexPath;     // temp folder + "setupdir.orxi"
  std::string m_strSetupStreamPath;    // temp folder + "setupdir.orxs"
  qv::package::PackageCatalog m_catalog;  // the package catalogue; filled and read by the worker
  qv::package::PackageCatalog::const_iterator m_itEntry;  // the worker's position in m_catalog
  qv::fw::Control m_edtLog;            // 1009 log box
  bool m_bSilent;                      // silent mode; never changes

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  const qv::fw::MessageMap* GetMessageMap() const override;

private:
  friend void AppendLogLine(CDOVazariSetupDlg* dlg, const char* line);
  friend void ShowFinished(CDOVazariSetupDlg* dlg);

  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnAppendLogLine(WPARAM, LPARAM line);
  LRESULT OnShowFinished(WPARAM, LPARAM);
  void ShowControl(int id, bool shown) const;
  void SetControlText(int id, const char* text) const;
  void StartWorker();

  qv::fw::Font m_fontTitle;  // the title's font, alive as long as the window
};

// Puts `line` and "\r\n" on top of the log box. The log read back first is cut at 60000
// bytes including its terminator, so its oldest part (at the bottom) falls away; the line
// itself is not limited. Any thread; applied before it returns. No-op once the window is
// gone.
void AppendLogLine(CDOVazariSetupDlg* dlg, const char* line);

// SetUiState(Finished) on the window's thread: the Finished layout, and in silent mode the
// end of the modal run. Any thread; applied before it returns. No-op once the window is gone.
void ShowFinished(CDOVazariSetupDlg* dlg);
