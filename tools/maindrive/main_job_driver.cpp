// Drives one interactive installation through the shipped launcher as a person would, for the
// main job: starts QVSetup.exe, waits for the launcher's note, the setup window in Ready,
// clicks "安装", watches the installer's note window and the Installing state, waits for
// Finished, reads the log and clicks "完成". Screenshots of each window go to OUT_DIR, with
// driver.txt (what happened, UTF-8) and log.txt (the setup window's log, UTF-8).
//
//   qv_main_job_driver QVSETUP_EXE OUT_DIR
// Exit code 0 when the installation reached Finished and both programs ended; otherwise 1
// with the reason on standard error.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui_driver.h"

namespace {

constexpr int kBtnInstall = 1001;
constexpr int kBtnCancel = 1002;
constexpr int kProgress = 1007;
constexpr int kLog = 1009;
constexpr int kNoteText = 1010;
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kInstallTimeoutMs = 300000;
constexpr UINT kPbmGetPos = WM_USER + 8;

const char kSetupTitle[] = "Qelvo电子印章阅读器  V1.0 安装程序";
const char kInstallText[] = "安装";
const char kFinishText[] = "完成";

class Report {
public:
  explicit Report(const std::string& path) : m_file(std::fopen(path.c_str(), "wb")) {}
  ~Report() {
    if (m_file) std::fclose(m_file);
  }
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // One line, GBK in, UTF-8 out (to the file and to standard output).
  void Line(const std::string& gbk) {
    const std::string text = qv::ui::GbkToUtf8(gbk);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    if (m_file) std::fprintf(m_file, "%s\n", text.c_str());
  }

private:
  std::FILE* m_file;
};

int Fail(Report& report, const std::string& why) {
  report.Line("FAILED: " + why);
  std::fprintf(stderr, "main job driver: %s\n", qv::ui::GbkToUtf8(why).c_str());
  return 1;
}

void Shot(Report& report, HWND window, const std::string& outDir, const char* name, bool settle = true) {
  SetForegroundWindow(window);
  if (settle) Sleep(300);  // let the window finish painting
  const std::string path = outDir + "\\" + name + ".bmp";
  report.Line(std::string("screenshot ") + name + (qv::ui::SaveWindowScreenshot(window, path) ? " saved" : " FAILED"));
}

// The text a window stores, read without sending it a message: the note windows belong to
// threads that pump no messages while they wait, so WM_GETTEXT would not be answered.
std::string StoredText(HWND window) {
  wchar_t wide[512] = {};
  const int length = InternalGetWindowText(window, wide, 512);
  char gbk[1024] = {};
  WideCharToMultiByte(936, 0, wide, length, gbk, sizeof(gbk) - 1, nullptr, nullptr);
  return gbk;
}

bool WriteText(const std::string& path, const std::string& utf8) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size();
  return std::fclose(f) == 0 && ok;
}

// The first visible dialog of `pid` that holds a control `id` (any dialog for 0).
HWND WaitForDialogWithControl(DWORD pid, int id, DWORD timeoutMs) {
  return qv::ui::WaitForDialogOf(pid, [id](HWND hwnd) { return id == 0 || qv::ui::Control(hwnd, id); }, timeoutMs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qv_main_job_driver QVSETUP_EXE OUT_DIR\n");
    return 2;
  }
  const std::string launcherPath = argv[1];
  const std::string outDir = argv[2];
  CreateDirectoryA(outDir.c_str(), nullptr);
  Report report(outDir + "\\driver.txt");

  qv::ui::ChildProcess launcher = qv::ui::ChildProcess::Start(qv::ui::Quote(launcherPath));
  if (!launcher.IsStarted()) return Fail(report, "could not start " + launcherPath);
  report.Line("started the launcher " + launcherPath);

  // The launcher's note shows while the redistributable runs.
  if (HWND note = WaitForDialogWithControl(launcher.Id(), 0, kStartTimeoutMs)) {
    Shot(report, note, outDir, "1-launcher-note");
    report.Line("launcher note: \"" + StoredText(GetWindow(note, GW_CHILD)) + "\"");
  } else {
    report.Line("launcher note not seen (the launcher may have been quicker than the driver)");
  }

  qv::ui::WindowFilter setupFilter;
  setupFilter.title = kSetupTitle;
  HWND setup = qv::ui::WaitForWindow(setupFilter, kStartTimeoutMs);
  if (!setup) return Fail(report, "the setup window did not appear");
  const DWORD installerPid = qv::ui::ProcessOf(setup);
  HANDLE installer = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, installerPid);
  report.Line("setup window open: \"" + qv::ui::Text(setup) + "\"");

  const auto launcherExit = launcher.WaitForExit(kStartTimeoutMs);
  if (!launcherExit) return Fail(report, "the launcher did not end after starting the installer");
  report.Line("launcher ended with exit code " + std::to_string(*launcherExit));

  if (!qv::ui::WaitUntil([&] { return qv::ui::IsVisible(qv::ui::Control(setup, kBtnInstall)); }, 10000))
    return Fail(report, "the setup window is not in Ready");
  if (qv::ui::ControlText(setup, kBtnInstall) != kInstallText)
    return Fail(report, "button 1001 does not say \"安装\"");
  Shot(report, setup, outDir, "2-ready");

  report.Line("clicking \"安装\"");
  qv::ui::ClickControl(setup, kBtnInstall);

  // The installer's note window, while the package is unpacked.
  if (HWND note = WaitForDialogWithControl(installerPid, kNoteText, 15000)) {
    Shot(report, note, outDir, "3-installer-note", false);
    report.Line("installer note: \"" + StoredText(qv::ui::Control(note, kNoteText)) + "\"");
  } else {
    report.Line("installer note not seen (unpacking was quicker than the driver)");
  }

  if (qv::ui::WaitUntil([&] { return qv::ui::IsVisible(qv::ui::Control(setup, kLog)); }, 10000)) {
    Shot(report, setup, outDir, "4-installing");
  }

  if (!qv::ui::WaitUntil([&] { return qv::ui::ControlText(setup, kBtnCancel) == kFinishText; },
                         kInstallTimeoutMs)) {
    if (HWND box = qv::ui::WaitForMessageBoxOfProcess(installerPid, setup, 100)) {
      return Fail(report, "the installer shows a message box: \"" + qv::ui::MessageBoxText(box) + "\"");
    }
    return Fail(report, "the installation did not reach Finished");
  }
  const LRESULT position = qv::ui::Send(qv::ui::Control(setup, kProgress), kPbmGetPos);
  report.Line("Finished: title \"" + qv::ui::ControlText(setup, 1004) + "\", progress " +
              std::to_string(position));
  const std::string log = qv::ui::ControlText(setup, kLog);
  WriteText(outDir + "\\log.txt", qv::ui::GbkToUtf8(log));
  Shot(report, setup, outDir, "5-finished");

  report.Line("clicking \"完成\"");
  qv::ui::ClickControl(setup, kBtnCancel);
  DWORD installerExit = 0;
  if (!installer || WaitForSingleObject(installer, 30000) != WAIT_OBJECT_0)
    return Fail(report, "the installer did not end after \"完成\"");
  GetExitCodeProcess(installer, &installerExit);
  CloseHandle(installer);
  report.Line("installer ended with exit code " + std::to_string(installerExit));
  return installerExit == 0 ? 0 : 1;
}
