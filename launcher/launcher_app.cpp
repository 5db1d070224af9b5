#include "launcher/launcher_app.h"

#include <windows.h>

#include <string>

#include "launcher/extract_resource.h"
#include "launcher/resource.h"
#include "launcher/shell_start.h"
#include "launcher/splash_dlg.h"

namespace {

constexpr char kMutexName[] = "ZOREZEVUSHELL";
constexpr char kRedistFile[] = "vcr.exe";
constexpr char kRedistParams[] = "/q /norestart";
constexpr char kInstallerFile[] = "ostrumsetup4.exe";

void RunRedistributableAndWait() {
  std::string path = kRedistFile;
  if (!ExtractResourceToTemp(IDR_REDIST, path)) return;
  qv::fw::UniqueHandle process = ShellStartProcess(path.c_str(), kRedistParams);
  if (process) ::WaitForSingleObject(process.get(), INFINITE);
}

void StartInstaller() {
  std::string path = kInstallerFile;
  if (!ExtractResourceToTemp(IDR_INSTALLER, path)) return;
  // The installer outlives the launcher, which ends right after this: its process handle
  // is deliberately left open, to be closed by the system when the launcher exits.
  ShellStartProcess(path.c_str(), nullptr).release();
}

}  // namespace

CLauncherApp theApp;

bool CLauncherApp::InitInstance() {
  // The framework has no ActiveX containment or 3-D control switches to turn on: dialogs
  // get the system's look as they are.
  HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kMutexName);
  const bool alreadyRunning = ::GetLastError() == ERROR_ALREADY_EXISTS;
  m_hMutex.reset(mutex);
  if (!m_hMutex) return false;
  if (alreadyRunning) {
    m_hMutex.reset();
    return false;
  }

  CSplashDlg splash;
  splash.Create();
  RunRedistributableAndWait();
  StartInstaller();
  splash.DestroyWindow();
  return true;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qv::fw::RunApplication(); }
