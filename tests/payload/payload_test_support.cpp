#include "payload_test_support.h"

#include <shlobj.h>

#include <vector>

namespace qv::payload_test {
namespace {

std::string& StageDirStorage() {
  static std::string folder;
  return folder;
}

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string ShellFolder(int csidl) {
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::string();
  return WithBackslash(folder);
}

struct WindowSearch {
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  char className[256] = {};
  ::GetClassNameA(window, className, sizeof(className));
  if (pid == search->pid && ::IsWindowVisible(window) && lstrcmpA(className, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

const std::string& StageDir() { return StageDirStorage(); }
void SetStageDir(const std::string& folder) { StageDirStorage() = WithBackslash(folder); }

std::string SystemDir() {
  char folder[MAX_PATH] = {};
  ::GetSystemDirectoryA(folder, MAX_PATH);
  return WithBackslash(folder);
}
std::string WindowsDir() {
  char folder[MAX_PATH] = {};
  ::GetWindowsDirectoryA(folder, MAX_PATH);
  return WithBackslash(folder);
}
std::string TempDir() {
  char folder[MAX_PATH + 1] = {};
  ::GetTempPathA(MAX_PATH + 1, folder);
  return WithBackslash(folder);
}
std::string ProgramFilesDir() { return ShellFolder(CSIDL_PROGRAM_FILES); }
std::string CommonDesktopDir() { return ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY); }
std::string CommonProgramsDir() { return ShellFolder(CSIDL_COMMON_PROGRAMS); }
std::string CommonAppDataDir() { return ShellFolder(CSIDL_COMMON_APPDATA); }

Child Child::Start(const std::string& commandLine, const std::string& currentDir) {
  Child child;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info)) {
    ::CloseHandle(info.hThread);
    *child.process_.put() = info.hProcess;
    child.pid_ = info.dwProcessId;
  }
  return child;
}

Child::~Child() {
  if (process_.valid() && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 5000);
  }
}

std::optional<DWORD> Child::Wait(DWORD timeoutMs) {
  if (!process_.valid() || ::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

std::optional<DWORD> RunProgram(const std::string& commandLine, const std::string& currentDir) {
  Child child = Child::Start(commandLine, currentDir);
  return child.Wait();
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  sample::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  sample::UniqueFile file(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool MakeFolders(const std::string& folder) {
  return ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS || DirExists(folder);
}

bool CopyTree(const std::string& from, const std::string& to) {
  if (!MakeFolders(to)) return false;
  WIN32_FIND_DATAA found = {};
  sample::UniqueFind find(::FindFirstFileA((from + "*").c_str(), &found));
  if (!find) return false;
  bool ok = true;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      ok = CopyTree(from + name + "\\", to + name + "\\") && ok;
    } else {
      ok = ::CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) && ok;
    }
  } while (::FindNextFileA(find.get(), &found));
  return ok;
}

bool KeyExists(HKEY root, const std::string& key, REGSAM view) {
  sample::UniqueKey opened;
  return ::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.put()) == ERROR_SUCCESS;
}

std::optional<std::string> RegString(HKEY root, const std::string& key, const char* value, REGSAM view) {
  sample::UniqueKey opened;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  char data[2048] = {};
  DWORD size = sizeof(data) - 1;
  if (::RegQueryValueExA(opened.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(data);
}

std::optional<DWORD> RegDword(HKEY root, const std::string& key, const char* value, REGSAM view) {
  sample::UniqueKey opened;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (::RegQueryValueExA(opened.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return data;
}

bool SetRegString(HKEY root, const std::string& key, const char* value, const std::string& data, REGSAM view) {
  sample::UniqueKey opened;
  if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, opened.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  return ::RegSetValueExA(opened.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

void DeleteTree(HKEY root, const std::string& key, REGSAM view) {
  sample::UniqueKey opened;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | view, opened.put()) == ERROR_SUCCESS) {
    ::RegDeleteTreeA(opened.get(), nullptr);
  }
  ::RegDeleteKeyExA(root, key.c_str(), view, 0);
}

HWND WaitForWindow(DWORD pid, const char* className, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  do {
    WindowSearch search{pid, className, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    ::Sleep(50);
  } while (::GetTickCount64() < deadline);
  return nullptr;
}

std::string WindowText(HWND window) {
  char text[2048] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

std::string Utf8(const std::string& gbk) {
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(wide, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), wide);
  const int narrow = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(narrow, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), narrow, nullptr, nullptr);
  return out;
}

}  // namespace qv::payload_test
