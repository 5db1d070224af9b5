// Helpers for the sample payload's tests: the staged payload, child processes, files, the
// registry and windows of other processes. All paths and texts are narrow (GBK).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win_handles.h"

namespace qv::payload_test {

// The staged payload folder (first program argument), ending in a backslash.
const std::string& StageDir();
void SetStageDir(const std::string& folder);

// Well-known folders, each ending in a backslash.
std::string SystemDir();
std::string WindowsDir();
std::string TempDir();
std::string ProgramFilesDir();
std::string CommonDesktopDir();
std::string CommonProgramsDir();
std::string CommonAppDataDir();

// A child process started with CreateProcessA. The destructor ends a child that still runs,
// so a failed test leaves nothing behind.
class Child {
 public:
  // Starts `commandLine` (program path quoted by the caller) in `currentDir` (empty: ours).
  static Child Start(const std::string& commandLine, const std::string& currentDir = std::string());
  ~Child();
  Child(Child&&) = default;
  Child& operator=(Child&&) = default;

  bool started() const { return process_.valid(); }
  DWORD pid() const { return pid_; }
  // The exit code once the child has ended within `timeoutMs`; nothing when it has not.
  std::optional<DWORD> Wait(DWORD timeoutMs = 120000);

 private:
  Child() = default;
  sample::UniqueHandle process_;
  DWORD pid_ = 0;
};

// Starts and waits; the exit code, or nothing when it did not start or did not end in time.
std::optional<DWORD> RunProgram(const std::string& commandLine, const std::string& currentDir = std::string());

std::string Quote(const std::string& path);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// Creates `folder` and every missing folder above it.
bool MakeFolders(const std::string& folder);
// Copies the tree below `from` into `to` (both ending in a backslash), creating folders.
bool CopyTree(const std::string& from, const std::string& to);

// Registry reads; `view` is KEY_WOW64_64KEY or KEY_WOW64_32KEY.
bool KeyExists(HKEY root, const std::string& key, REGSAM view = KEY_WOW64_64KEY);
std::optional<std::string> RegString(HKEY root, const std::string& key, const char* value,
                                     REGSAM view = KEY_WOW64_64KEY);
std::optional<DWORD> RegDword(HKEY root, const std::string& key, const char* value, REGSAM view = KEY_WOW64_64KEY);
bool SetRegString(HKEY root, const std::string& key, const char* value, const std::string& data,
                  REGSAM view = KEY_WOW64_64KEY);
// Deletes a key with everything below it (test set-up and clean-up).
void DeleteTree(HKEY root, const std::string& key, REGSAM view = KEY_WOW64_64KEY);

// The first visible top-level window of process `pid` with class `className`, waited for.
HWND WaitForWindow(DWORD pid, const char* className, DWORD timeoutMs = 30000);
std::string WindowText(HWND window);

// GBK text as UTF-8, for failure messages people can read.
std::string Utf8(const std::string& gbk);

}  // namespace qv::payload_test
