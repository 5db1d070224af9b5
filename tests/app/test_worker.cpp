// Test worker for QVStampSetupUiTest: reports through the setup window exactly as the
// installation worker does (log lines, progress bar, owned message boxes, the note window,
// ShowFinished), from its own thread, under the control of environment variables so that
// the tests can hold it in any state:
//
//   QV_UITEST_STARTED    file to which "started\n" is appended when the worker starts
//   QV_UITEST_REPORT=1   log what only the process can see: temp paths, icons, the title's font
//   QV_UITEST_NOTE=1     show a CNoteDlg (text: QV_UITEST_NOTE_TEXT, may be unset) until the
//                        file QV_UITEST_NOTE_HOLD exists, pumping messages meanwhile
//   QV_UITEST_BOX=1      show a message box without caption; log "box answer=N"
//   QV_UITEST_LOG_FILE   file whose lines (split at '\n') are appended one by one with
//                        AppendLogLine, each followed by the progress update;
//                        without it three fixed lines are appended
//   QV_UITEST_SPAM=1     append lines without end (never finishes)
//   QV_UITEST_HOLD       file whose existence lets the worker finish (waits up to 120 s)
//   QV_UITEST_STOP=wait  StopInstallWorker asks the worker to stop and waits for it, and
//                        appends "stopped\n" to QV_UITEST_STARTED; otherwise it does nothing
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "install_worker.h"
#include "note_dialog.h"
#include "resource.h"
#include "setup_dialog.h"

namespace {

std::atomic<bool> g_stopRequested{false};

// A variable's value in the system code page. Read as UTF-16 and converted here: Wine's
// GetEnvironmentVariableA mangles DBCS values.
std::string Env(const char* name) {
  wchar_t wideName[128] = {};
  MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 127);
  wchar_t value[4096] = {};
  const DWORD length = GetEnvironmentVariableW(wideName, value, 4096);
  if (length == 0 || length >= 4096) return {};
  char narrow[8192] = {};
  WideCharToMultiByte(CP_ACP, 0, value, -1, narrow, sizeof(narrow) - 1, nullptr, nullptr);
  return narrow;
}

bool FileExists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AppendToFile(const std::string& path, const char* text) {
  if (path.empty()) return;
  if (FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fputs(text, file);
    std::fclose(file);
  }
}

// Waits until `path` exists (or a stop is asked for), handling this thread's messages. An
// empty path does not wait.
void WaitForFile(const std::string& path, DWORD timeoutMs) {
  if (path.empty()) return;
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!FileExists(path) && !g_stopRequested && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void SetProgress(CDOVazariSetupDlg* dlg, int percent) {
  dlg->m_ctlProgress.Send(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  dlg->m_ctlProgress.Send(PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void Report(CDOVazariSetupDlg* dlg) {
  AppendLogLine(dlg, ("index=" + dlg->m_strSetupIndexPath).c_str());
  AppendLogLine(dlg, ("stream=" + dlg->m_strSetupStreamPath).c_str());
  // The program icon: loaded, the window's big and small icon, and the drag icon. (Read
  // here: under Wine these handles do not come back from another process.)
  const HICON icon = dlg->Icon();
  const bool sameIcons =
      icon != nullptr &&
      reinterpret_cast<HICON>(SendMessageA(dlg->Hwnd(), WM_GETICON, ICON_BIG, 0)) == icon &&
      reinterpret_cast<HICON>(SendMessageA(dlg->Hwnd(), WM_GETICON, ICON_SMALL, 0)) == icon &&
      reinterpret_cast<HICON>(SendMessageA(dlg->Hwnd(), WM_QUERYDRAGICON, 0, 0)) == icon;
  AppendLogLine(dlg, sameIcons ? "icons=program icon" : "icons=wrong");
  const auto font = reinterpret_cast<HFONT>(dlg->m_stcTitle.Send(WM_GETFONT));
  LOGFONTA logFont{};
  if (font != nullptr && GetObjectA(font, sizeof(logFont), &logFont) == sizeof(logFont)) {
    char line[256];
    std::snprintf(line, sizeof(line), "font=%ld,%ld,%ld,%d,%d,%d,%s", logFont.lfHeight, logFont.lfWidth,
                  logFont.lfWeight, logFont.lfCharSet, logFont.lfQuality, logFont.lfPitchAndFamily,
                  logFont.lfFaceName);
    AppendLogLine(dlg, line);
  } else {
    AppendLogLine(dlg, "font=none");
  }
}

std::vector<std::string> LogLines() {
  const std::string path = Env("QV_UITEST_LOG_FILE");
  if (path.empty()) {
    return {"C:\\Program Files\\QVStampReader\\QVStampPage.exe",
            "C:\\Program Files\\QVStampReader\\bin\\组件.dll",
            "C:\\Program Files\\QVStampReader\\说明.txt"};
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(content, line)) lines.push_back(line);
  return lines;
}

}  // namespace

DWORD WINAPI InstallWorker(LPVOID setupDialog) {
  auto* dlg = static_cast<CDOVazariSetupDlg*>(setupDialog);
  AppendToFile(Env("QV_UITEST_STARTED"), "started\n");
  AppendLogLine(dlg, "worker started");
  if (Env("QV_UITEST_REPORT") == "1") Report(dlg);

  if (Env("QV_UITEST_NOTE") == "1") {
    CNoteDlg note(Env("QV_UITEST_NOTE_TEXT"));
    note.Create();
    WaitForFile(Env("QV_UITEST_NOTE_HOLD"), 120000);
  }

  if (Env("QV_UITEST_BOX") == "1") {
    const int answer = dlg->MessageBox("测试消息");
    AppendLogLine(dlg, ("box answer=" + std::to_string(answer)).c_str());
  }

  const std::vector<std::string> lines = LogLines();
  for (size_t i = 0; i < lines.size() && !g_stopRequested; ++i) {
    AppendLogLine(dlg, lines[i].c_str());
    SetProgress(dlg, static_cast<int>(100 * (i + 1) / lines.size()));
  }

  if (Env("QV_UITEST_SPAM") == "1") {
    for (unsigned n = 0; !g_stopRequested; ++n) {
      AppendLogLine(dlg, ("spam " + std::to_string(n)).c_str());
      SetProgress(dlg, static_cast<int>(n % 101));
    }
  }

  WaitForFile(Env("QV_UITEST_HOLD"), 120000);
  if (g_stopRequested) return 1;
  ShowFinished(dlg);
  return 0;
}

void StopInstallWorker(CDOVazariSetupDlg& setupDialog) noexcept {
  if (Env("QV_UITEST_STOP") != "wait") return;
  g_stopRequested = true;
  setupDialog.WaitForWorker(INFINITE);
  AppendToFile(Env("QV_UITEST_STARTED"), "stopped\n");
}
