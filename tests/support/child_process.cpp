#include "child_process.h"

#include <cstring>

namespace qv::ui {
namespace {

bool SameName(const std::string& entry, const std::string& name) {
  if (entry.size() <= name.size() || entry[name.size()] != '=') return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.data(), static_cast<int>(name.size()),
                        name.data(), static_cast<int>(name.size())) == CSTR_EQUAL;
}

std::vector<char> BuildEnvironment(const Environment& extra) {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p != '\0'; p += std::strlen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsA(block);
  }
  for (const auto& [name, value] : extra) {
    std::vector<std::string> kept;
    for (auto& e : entries) {
      if (!SameName(e, name)) kept.push_back(std::move(e));
    }
    entries = std::move(kept);
    entries.push_back(name + "=" + value);
  }
  std::vector<char> out;
  for (const auto& e : entries) {
    out.insert(out.end(), e.begin(), e.end());
    out.push_back('\0');
  }
  out.push_back('\0');
  if (entries.empty()) out.push_back('\0');
  return out;
}

}  // namespace

ChildProcess::~ChildProcess() {
  if (IsRunning()) Terminate();
  Close();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)), m_id(std::exchange(other.m_id, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (IsRunning()) Terminate();
    Close();
    m_process = std::exchange(other.m_process, nullptr);
    m_id = std::exchange(other.m_id, 0);
  }
  return *this;
}

ChildProcess ChildProcess::Start(const std::string& commandLine, const Environment& extra,
                                 const std::string& workingDir, DWORD* error) {
  ChildProcess child;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  std::vector<char> env = BuildEnvironment(extra);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, env.data(),
                      workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
    if (error) *error = GetLastError();
    return child;
  }
  CloseHandle(info.hThread);
  child.m_process = info.hProcess;
  child.m_id = info.dwProcessId;
  if (error) *error = 0;
  return child;
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) const {
  if (m_process == nullptr) return std::nullopt;
  if (WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(m_process, &code)) return std::nullopt;
  return code;
}

bool ChildProcess::IsRunning() const {
  return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Terminate() {
  if (m_process == nullptr) return;
  TerminateProcess(m_process, 99);
  WaitForSingleObject(m_process, 10000);
}

void ChildProcess::Close() noexcept {
  if (m_process != nullptr) CloseHandle(m_process);
  m_process = nullptr;
  m_id = 0;
}

std::string SiblingPath(const std::string& name) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self(path, length < MAX_PATH ? length : 0);
  const auto slash = self.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + name;
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

}  // namespace qv::ui
