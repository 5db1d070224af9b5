// A program started for a test, driven from outside as a person would use it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv::ui {

using Environment = std::vector<std::pair<std::string, std::string>>;

// Owns a started process. The destructor ends a process that still runs (TerminateProcess
// with exit code 99, then waits for it), so a failed test leaves no window behind.
class ChildProcess {
public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // CreateProcessA with `commandLine` as given (quote the program path yourself). `extra`
  // variables are set in the child's environment on top of this process's own (a name
  // already present is replaced). Empty `workingDir` keeps this process's. On failure the
  // result is empty and `error` (if given) holds GetLastError().
  static ChildProcess Start(const std::string& commandLine, const Environment& extra = {},
                            const std::string& workingDir = {}, DWORD* error = nullptr);

  bool IsStarted() const { return m_process != nullptr; }
  DWORD Id() const { return m_id; }
  HANDLE Handle() const { return m_process; }

  // Waits up to `timeoutMs` for the process to end; its exit code, or nothing on timeout.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
  bool IsRunning() const;
  void Terminate();

private:
  void Close() noexcept;
  HANDLE m_process = nullptr;
  DWORD m_id = 0;
};

// The path of file `name` in the folder of this test program.
std::string SiblingPath(const std::string& name);
// Quotes `path` for a command line: "path".
std::string Quote(const std::string& path);

}  // namespace qv::ui
