// uninstall.exe: removes an installation of the Qelvo电子印章阅读器.
//
//   uninstall.exe       asks first (Yes/No), then removes, then says how it went
//   uninstall.exe /s    removes without asking or reporting (the installer runs a copy from
//                       the temp folder as qv_uninstall.exe /s and waits for it)
//
// It removes, in this order: the four controls' registration (their DllUnregisterServer),
// the registry values and keys of the installation, the three shortcuts and the start-menu
// folder, and the installation folder with everything in it. Things already gone are no
// error, so a second run succeeds too. All work is done before the process ends: nothing is
// left running or scheduled that could touch a later installation.
//
// Exit code: 0 removed (or nothing was left); 1 the user answered No; 2 something present
// could not be removed (a file in use, missing rights), the rest is removed all the same.
#include <windows.h>

#include <optional>
#include <string>

#include "control_unregistration.h"
#include "install_dir_rule.h"
#include "install_location.h"
#include "own_image.h"
#include "registry_cleanup.h"
#include "shortcut_cleanup.h"
#include "tree_removal.h"

namespace {

constexpr char kCaptionNotice[] = "提示";
constexpr char kCaptionError[] = "错误";
constexpr char kConfirmText[] = "您确定要卸载Qelvo电子印章阅读器及其所有组件吗?";
constexpr char kDoneText[] = "卸载完成!";
constexpr char kIncompleteText[] = "部分文件或设置未能删除,请关闭Qelvo电子印章阅读器后重新运行卸载程序!";

constexpr int kExitRemoved = 0;
constexpr int kExitDeclined = 1;
constexpr int kExitIncomplete = 2;

// Leaves the current folder, which may lie inside the installation folder (the start-menu link
// starts the uninstaller there) and would then keep that folder from being removed.
void LeaveCurrentFolder() {
  char temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH + 1, temp);
  if (length != 0 && length <= MAX_PATH && ::SetCurrentDirectoryA(temp)) return;
  char system[MAX_PATH + 1] = {};
  if (::GetSystemDirectoryA(system, MAX_PATH + 1) != 0) ::SetCurrentDirectoryA(system);
}

bool RemoveInstallation(const std::optional<std::string>& installDir) {
  bool complete = true;
  if (installDir && !qv::sample::UnregisterControls(*installDir)) complete = false;
  if (!qv::sample::RemoveRegistryEntries()) complete = false;
  if (!qv::sample::RemoveShortcuts()) complete = false;
  if (!installDir || !qv::sample::RemoveInstallTree(*installDir, qv::sample::OwnImage::Current())) {
    complete = false;
  }
  return complete;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const bool silent = qv::sample::HasSilentSwitch(::GetCommandLineA());

  // Read before anything is removed: the uninstall entry names the folder.
  const std::optional<std::string> installDir = qv::sample::FindInstallDir();

  if (!silent && ::MessageBoxA(nullptr, kConfirmText, kCaptionNotice, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return kExitDeclined;
  }

  LeaveCurrentFolder();
  const bool complete = RemoveInstallation(installDir);

  if (!silent) {
    if (complete) {
      ::MessageBoxA(nullptr, kDoneText, kCaptionNotice, MB_OK | MB_ICONINFORMATION);
    } else {
      ::MessageBoxA(nullptr, kIncompleteText, kCaptionError, MB_OK | MB_ICONERROR);
    }
  }
  return complete ? kExitRemoved : kExitIncomplete;
}
