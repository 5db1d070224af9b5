#include "launcher/shell_start.h"

#include <shellapi.h>

// The structure the shell expects of a 32-bit caller is 60 bytes.
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA layout");

qv::fw::UniqueHandle ShellStartProcess(const char* path, const char* params) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;  // 0x440
  info.hwnd = nullptr;
  info.lpVerb = "open";
  info.lpFile = path;
  info.lpParameters = params;
  info.lpDirectory = nullptr;
  info.nShow = SW_SHOWNORMAL;
  ::ShellExecuteExA(&info);  // failure leaves hProcess null: nothing to wait for
  return qv::fw::UniqueHandle(info.hProcess);
}
