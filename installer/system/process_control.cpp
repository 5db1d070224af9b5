#include "installer/system/process_control.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>

#include "installer/system/path_text.h"
#include "installer/system/scoped_handle.h"

namespace qv::system {
namespace {

constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kQueryRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr DWORD kTerminateRights = PROCESS_TERMINATE | kQueryRights;
static_assert(kQueryRights == 0x0410 && kTerminateRights == 0x0411, "process access rights");

const char kBrowserImageName[] = "iexplore.exe";

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Reads the lower-cased image path of an opened process into path. False when the process is
// to be passed over.
bool ReadImagePath(HANDLE process, char (&path)[MAX_PATH]) {
  HMODULE module = nullptr;
  DWORD needed = 0;
  if (!EnumProcessModules(process, &module, sizeof module, &needed) || module == nullptr) {
    return false;
  }
  const DWORD length = GetModuleFileNameExA(process, module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 1) return false;
  if (!IsAsciiLetter(path[0])) return false;
  LowercaseAscii(path);
  return true;
}

// Calls visit(process, lowerCasePath) for every process that can be opened with rights and
// whose image path can be read. The handle is closed after visit returns.
template <typename Visit>
void ForEachProcess(DWORD rights, Visit visit) {
  DWORD ids[kMaxProcesses];
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof ids, &bytes)) return;
  DWORD count = bytes / sizeof ids[0];
  if (count > kMaxProcesses) count = kMaxProcesses;
  for (DWORD i = 0; i < count; ++i) {
    ScopedHandle process(OpenProcess(rights, FALSE, ids[i]));
    if (!process) continue;
    char path[MAX_PATH];
    if (ReadImagePath(process.get(), path)) visit(process.get(), path);
  }
}

// Enables SeDebugPrivilege in the process token. True only when it is now enabled.
bool EnableDebugPrivilege() {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.receive())) {
    return false;
  }
  LUID debugPrivilege{};
  if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &debugPrivilege)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = debugPrivilege;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr,
                             nullptr)) {
    return false;
  }
  // Success without ERROR_SUCCESS means ERROR_NOT_ALL_ASSIGNED: the account lacks it.
  return GetLastError() == ERROR_SUCCESS;
}

}  // namespace

void LowercaseAscii(char* text) {
  if (text == nullptr) return;
  for (; *text != '\0'; ++text) {
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text + 0x20);
  }
}

int FileNameMatches(const char* name, const char* path) {
  if (name == nullptr || path == nullptr) return 0;
  if (std::strlen(path) < std::strlen(name)) return 0;
  // The final component is compared where it lies in path: no copy, so no buffer to outgrow.
  const char* separator = FindLastSeparator(path);
  const char* finalComponent = separator != nullptr ? separator + 1 : "";
  return std::strcmp(finalComponent, name) == 0 ? 1 : 0;
}

int IsBrowserRunning() {
  int running = 0;
  ForEachProcess(kQueryRights, [&running](HANDLE, const char* path) {
    if (FileNameMatches(kBrowserImageName, path)) running = 1;
  });
  return running;
}

int KillProcessesByName(const char* name) {
  if (name == nullptr || name[0] == '\0') return 1;
  if (!EnableDebugPrivilege()) return 1;
  ForEachProcess(kTerminateRights, [name](HANDLE process, const char* path) {
    if (FileNameMatches(name, path)) TerminateProcess(process, 0);
  });
  return 1;
}

}  // namespace qv::system
