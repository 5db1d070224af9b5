#include "child_process.h"

#include <cwchar>

namespace qv::ui {
namespace {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

bool SameName(const std::wstring& entry, const std::wstring& name) {
  if (entry.size() <= name.size() || entry[name.size()] != L'=') return false;
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, entry.data(), static_cast<int>(name.size()),
                        name.data(), static_cast<int>(name.size())) == CSTR_EQUAL;
}

// A UTF-16 environment block (CREATE_UNICODE_ENVIRONMENT): this process's variables with
// `extra` set on top. UTF-16, because an ANSI block with DBCS values does not reach the
// child intact under Wine.
std::vector<wchar_t> BuildEnvironment(const Environment& extra) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : extra) {
    const std::wstring wideName = Widen(name);
    std::vector<std::wstring> kept;
    for (auto& e : entries) {
      if (!SameName(e, wideName)) kept.push_back(std::move(e));
    }
    entries = std::move(kept);
    entries.push_back(wideName + L"=" + Widen(value));
  }
  std::vector<wchar_t> out;
  for (const auto& e : entries) {
    out.insert(out.end(), e.begin(), e.end());
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  if (entries.empty()) out.push_back(L'\0');
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
  std::vector<wchar_t> env = BuildEnvironment(extra);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, env.data(),
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
