#include "process_watch.h"

#include <windows.h>
#include <tlhelp32.h>

#include "framework/handles.h"
#include "window_query.h"

namespace launcher_test {

bool IsRunning(const char* imageName) {
  HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (raw == INVALID_HANDLE_VALUE) return false;
  qv::fw::UniqueHandle snapshot(raw);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL ok = Process32First(snapshot.get(), &entry); ok; ok = Process32Next(snapshot.get(), &entry))
    if (lstrcmpiA(entry.szExeFile, imageName) == 0) return true;
  return false;
}

bool WaitUntilRunning(const char* imageName, bool running, unsigned timeoutMs) {
  return qv::ui::WaitUntil([&] { return IsRunning(imageName) == running; }, timeoutMs);
}

}  // namespace launcher_test
