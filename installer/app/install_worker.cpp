// The installation sequence: the routine of the setup window's worker thread.
//
// Steps, in order (a failure inside a step is passed over unless said otherwise):
//   1  the browser runs: M1, wait for OK
//   2  the note window (CNoteDlg, empty text: its template's text), modeless, no parent
//   3  end "dorezizezadava.exe", then "iexplore.exe"
//   4  run the previous installation's uninstaller from a temp copy with "/s", waiting
//   5  unpack blob 129 into m_strSetupIndexPath               (M2 code 0 on failure)
//   6  unpack blob 130 into m_strSetupStreamPath              (M2 code 1 on failure)
//   7  LoadCatalog(m_strSetupIndexPath, m_catalog)            (M2 code 4 on failure)
//   8  delete the note window
//   9  enter the program-files folder                         (M3, exit 1603 on failure)
//  10  installDir = that folder + "\QVStampReader\"; check that every text built from it
//      fits its buffer (M3, exit 1603 otherwise), then create the folder
//  11  every catalogue entry in name order (position in m_itEntry): enter installDir
//      (M3, exit 1603), MakeDirectoryChain, ExtractEntry until it succeeds or M4 says
//      Ignore (Abort: exit 1602), one log line, the progress bar
//  12  the backup copy installDir + "qvsetup_bk.exe"
//  13  RegisterComponents; 14 WriteUninstallEntry; 15 RegisterFileAssociation;
//  16  CreateShortcuts; 17 ShowFinished
//
// The process-wide current directory: step 9 enters the program-files folder, each entry
// enters installDir and then its own folder, so after step 11 the current directory is the
// folder of the last entry extracted, where step 13 starts ZuduSetup.exe by its bare name.
// Step 16 leaves it in the start-menu folder.
//
// Stopping: the worker checks the stop request (install_stop.h) before every step, before
// every entry and around every M4; once it has seen the request it returns at once and
// touches neither the setup window nor the catalogue again. The note window is the
// worker's own and is deleted on the way out.
#include "install_worker.h"

#include <commctrl.h>
#include <direct.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "install_backup.h"
#include "install_blobs.h"
#include "install_paths.h"
#include "install_stop.h"
#include "install_texts.h"
#include "installer/package/catalog.h"
#include "installer/package/extract.h"
#include "installer/system/process_control.h"
#include "installer/system/program_launch.h"
#include "installer/system/registry_entries.h"
#include "installer/system/shortcuts.h"
#include "note_dialog.h"
#include "setup_dialog.h"

namespace {

using namespace qv::setup;

// Ends the whole process from the worker thread. ExitProcess rather than exit(): exit()
// would run the destructors of static objects (the application object among them) while
// the window's thread still uses them. Buffered standard output is flushed first, as
// exit() would.
[[noreturn]] void EndProcessEarly(int exitCode) {
  std::fflush(nullptr);
  ExitProcess(static_cast<UINT>(exitCode));
}

class InstallSequence {
public:
  explicit InstallSequence(CDOVazariSetupDlg& dlg) : m_dlg(dlg) {}
  InstallSequence(const InstallSequence&) = delete;
  InstallSequence& operator=(const InstallSequence&) = delete;

  // Steps 1 to 17; returns after ShowFinished, or as soon as a stop request is seen.
  void Run();

private:
  static bool Stopped() { return InstallStopRequested(); }

  void WarnWhenBrowserRuns() const;
  bool PreparePackage();
  void EnterInstallDir();
  bool ExtractEntries();
  bool InstallEntry(const std::string& name);
  void ShowProgress(std::int32_t position) const;
  void ShowCorruptSetup(std::int32_t code) const;
  [[noreturn]] void FailFolderAccess() const;

  CDOVazariSetupDlg& m_dlg;
  std::string m_installDir;  // ends in a backslash; fits every buffer (InstallTextsFit)
};

void InstallSequence::Run() {
  if (Stopped()) return;
  WarnWhenBrowserRuns();
  if (Stopped() || !PreparePackage()) return;
  if (Stopped()) return;
  EnterInstallDir();
  if (!ExtractEntries()) return;

  const char* installDir = m_installDir.c_str();
  if (Stopped()) return;
  CopyOwnExecutable(m_installDir);
  if (Stopped()) return;
  qv::system::RegisterComponents(installDir);
  if (Stopped()) return;
  qv::system::WriteUninstallEntry(installDir);
  if (Stopped()) return;
  qv::system::RegisterFileAssociation(installDir);
  if (Stopped()) return;
  qv::system::CreateShortcuts(installDir);
  if (Stopped()) return;
  ShowFinished(&m_dlg);
}

// Step 1.
void InstallSequence::WarnWhenBrowserRuns() const {
  if (qv::system::IsBrowserRunning() == 1) {
    m_dlg.MessageBox(kBrowserNoticeText, kNoticeCaption, MB_OK | MB_ICONINFORMATION);
  }
}

// Steps 2 to 8. False when a stop was seen.
bool InstallSequence::PreparePackage() {
  // Step 2: the note belongs to this thread and goes with this scope (step 8, or a stop).
  const auto note = std::make_unique<CNoteDlg>(std::string());
  note->Create();

  if (Stopped()) return false;
  qv::system::KillProcessesByName("dorezizezadava.exe");
  qv::system::KillProcessesByName("iexplore.exe");
  if (Stopped()) return false;
  qv::system::RunPreviousUninstaller();
  if (Stopped()) return false;
  if (!UnpackEmbeddedBlob(kIndexBlobId, m_dlg.m_strSetupIndexPath)) ShowCorruptSetup(kCodeIndexBlob);
  if (Stopped()) return false;
  if (!UnpackEmbeddedBlob(kStreamBlobId, m_dlg.m_strSetupStreamPath)) {
    ShowCorruptSetup(kCodeStreamBlob);
  }
  if (Stopped()) return false;
  if (!qv::package::LoadCatalog(m_dlg.m_strSetupIndexPath, m_dlg.m_catalog)) {
    ShowCorruptSetup(kCodeIndexFile);
  }
  return true;
}

// Steps 9 and 10. Ends the process (M3, 1603) when the program-files folder is unknown or
// cannot be entered, or when a text built from the installation directory would not fit
// its buffer; nothing has been written below the program-files folder by then.
void InstallSequence::EnterInstallDir() {
  // One byte more than the query may write, so the text is terminated whatever it wrote.
  char programFiles[kPathBufferSize + 1];
  std::memset(programFiles, 0, sizeof programFiles);
  const HRESULT query =
      SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles);
  const std::size_t length = std::strlen(programFiles);
  if (FAILED(query) || length == 0 || length >= kPathBufferSize) FailFolderAccess();
  if (_chdir(programFiles) == -1) FailFolderAccess();

  m_installDir = InstallDirFor(programFiles);
  if (!InstallTextsFit(m_installDir, m_dlg.m_catalog)) FailFolderAccess();
  _mkdir(kInstallFolderName);
}

// Step 11. False when a stop was seen.
bool InstallSequence::ExtractEntries() {
  const qv::package::PackageCatalog& catalog = m_dlg.m_catalog;
  // The index unpacks from a blob of at most 4 GiB, so it holds fewer than 14.3 million
  // records of 301 bytes: 100 times the count stays far below 2^31.
  const auto count = static_cast<std::int32_t>(catalog.size());
  if (count == 0) return true;

  std::int32_t accumulator = 0;
  std::int32_t done = 0;
  for (m_dlg.m_itEntry = catalog.cbegin(); done < count && m_dlg.m_itEntry != catalog.cend();
       ++m_dlg.m_itEntry, ++done) {
    if (Stopped()) return false;
    const std::string name = m_dlg.m_itEntry->first;
    if (!InstallEntry(name)) return false;
    accumulator += 100;
    ShowProgress(accumulator / count);
  }
  return true;
}

// One entry of step 11, up to its log line. False when a stop was seen.
bool InstallSequence::InstallEntry(const std::string& name) {
  if (_chdir(m_installDir.c_str()) == -1) FailFolderAccess();
  const std::string relative = EntryRelativePath(name);
  qv::package::MakeDirectoryChain(relative.c_str());
  const std::string destination = m_installDir + relative;

  // Retry repeats only the extraction: the current directory is not reset and the folders
  // are not made again.
  while (!qv::package::ExtractEntry(name, m_dlg.m_catalog, destination)) {
    if (Stopped()) return false;
    const int answer = m_dlg.MessageBox(WriteFailedMessage(destination).c_str(), kErrorCaption,
                                        MB_ABORTRETRYIGNORE | MB_ICONERROR);
    if (answer == IDABORT) EndProcessEarly(kExitUserAborted);
    if (answer == IDIGNORE) break;
    // A box that could not be shown gave no answer; retrying without one would never end.
    if (answer == 0) EndProcessEarly(kExitFatalError);
    if (Stopped()) return false;
  }
  if (Stopped()) return false;
  AppendLogLine(&m_dlg, destination.c_str());
  return true;
}

// The range is sent again before every position.
void InstallSequence::ShowProgress(std::int32_t position) const {
  const HWND bar = m_dlg.m_ctlProgress.Hwnd();
  SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

// M2: no caption of its own, so the box shows the application's name.
void InstallSequence::ShowCorruptSetup(std::int32_t code) const {
  m_dlg.MessageBox(FormatCorruptSetupMessage(code).c_str(), nullptr, MB_OK | MB_ICONERROR);
}

void InstallSequence::FailFolderAccess() const {
  m_dlg.MessageBox(kFolderAccessText, kErrorCaption, MB_OK | MB_ICONERROR);
  EndProcessEarly(kExitFatalError);
}

}  // namespace

DWORD WINAPI InstallWorker(LPVOID setupDialog) {
  // Nothing may leave a thread routine as an exception. The sequence throws only when
  // memory runs out; the installation then ends as failed rather than as finished.
  try {
    InstallSequence(*static_cast<CDOVazariSetupDlg*>(setupDialog)).Run();
  } catch (...) {
    EndProcessEarly(kExitFatalError);
  }
  return 0;
}

// Runs on the window's thread after the user confirmed cancelling. The worker stops at its
// next check (see install_stop.h) and this returns once its thread has ended. Meanwhile the
// sent messages of the worker (log line, progress, the opening and closing of a box owned
// by the window) are handled, so the worker is never left waiting on this thread.
//
// A box of the worker's that is open when the stop is requested is waited for: the user
// answers it as usual (it stays responsive, on the worker's thread) and the worker stops
// right after. The setup window's own boxes disable the window, so a cancel can only meet
// one of them when the Cancel question was already open when the worker's box appeared.
// The extraction's "ORX解压错误!" box has no owner and leaves the window enabled: a cancel
// confirmed while it is open takes effect when it is acknowledged, before any M4.
void StopInstallWorker(CDOVazariSetupDlg& setupDialog) noexcept {
  RequestInstallStop();
  setupDialog.WaitForWorker(INFINITE);
}
