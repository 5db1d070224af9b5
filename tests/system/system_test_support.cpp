#include "tests/system/system_test_support.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace qv::system::test {

std::string TestProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string ChildProgramPath() { return TestProgramFolder() + "sys_child.exe"; }

std::string TempFolder() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}

bool FinishesWithin(DWORD milliseconds, std::function<void()> work) {
  // The event is shared so that a thread left behind never touches freed state.
  const auto done = std::shared_ptr<void>(CreateEventA(nullptr, TRUE, FALSE, nullptr),
                                          [](void* event) { CloseHandle(event); });
  std::thread runner([done, work = std::move(work)] {
    work();
    SetEvent(done.get());
  });
  const bool finished = WaitForSingleObject(done.get(), milliseconds) == WAIT_OBJECT_0;
  if (finished) {
    runner.join();
  } else {
    runner.detach();
  }
  return finished;
}

std::string UniqueName(const char* tag) {
  static std::atomic<int> counter{0};
  return std::string("qv-sys-") + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

std::string MakeScratchFolder(const std::string& tag) {
  const std::string folder = TempFolder() + UniqueName(tag.c_str());
  RemoveTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\";
}

bool CopyChild(const std::string& destination) {
  return CopyFileA(ChildProgramPath().c_str(), destination.c_str(), FALSE) != 0;
}

bool ReplaceWithChild(const std::string& file) {
  const std::string fresh = file + ".qvnew";
  return CopyChild(fresh) &&
         MoveFileExA(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  content = text.str();
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string content;
  if (!ReadWholeFile(path, content)) return lines;
  std::istringstream in(content);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void RemoveTree(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = base + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(base.c_str());
}

std::string CurrentDirectory() {
  char path[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, path);
  return path;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* name, const char* value)
    : name_(name) {
  char old[4096];
  const DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
  if (length > 0 && length < sizeof old) {
    hadOld_ = true;
    old_ = old;
  }
  SetEnvironmentVariableA(name, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetEnvironmentVariableA(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& folder)
    : old_(CurrentDirectory()) {
  SetCurrentDirectoryA(folder.c_str());
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() { SetCurrentDirectoryA(old_.c_str()); }

namespace {

constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;

class Key {
 public:
  Key(HKEY root, const std::string& path, bool create) {
    const LONG result =
        create ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, kAccess, nullptr, &key_,
                                 nullptr)
               : RegOpenKeyExA(root, path.c_str(), 0, kAccess, &key_);
    if (result != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  const Key opened(root_, key_, false);
  DWORD size = 0;
  if (opened.get() != nullptr &&
      RegQueryValueExA(opened.get(), name_.c_str(), nullptr, &oldType_, nullptr, &size) ==
          ERROR_SUCCESS) {
    oldData_.resize(size);
    hadOld_ = RegQueryValueExA(opened.get(), name_.c_str(), nullptr, &oldType_,
                               oldData_.data(), &size) == ERROR_SUCCESS;
  }
}

ScopedRegistryValue::~ScopedRegistryValue() {
  const Key opened(root_, key_, true);
  if (opened.get() == nullptr) return;
  if (hadOld_) {
    RegSetValueExA(opened.get(), name_.c_str(), 0, oldType_, oldData_.data(),
                   static_cast<DWORD>(oldData_.size()));
  } else {
    RegDeleteValueA(opened.get(), name_.c_str());
  }
}

bool ScopedRegistryValue::Set(DWORD type, const std::string& text) {
  const Key opened(root_, key_, true);
  return opened.get() != nullptr &&
         RegSetValueExA(opened.get(), name_.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool ReadRegistryString(HKEY root, const std::string& key, const char* name, std::string& text) {
  const Key opened(root, key, false);
  if (opened.get() == nullptr) return false;
  char data[2048];
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (RegQueryValueExA(opened.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  data[size] = '\0';
  text.assign(data);
  return true;
}

bool RegistryKeyExists(HKEY root, const std::string& key) {
  return Key(root, key, false).get() != nullptr;
}

int RegistryValueCount(HKEY root, const std::string& key) {
  const Key opened(root, key, false);
  DWORD count = 0;
  if (opened.get() == nullptr ||
      RegQueryInfoKeyA(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &count, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return -1;
  }
  return static_cast<int>(count);
}

bool CreateRegistryKey(HKEY root, const std::string& key) {
  return Key(root, key, true).get() != nullptr;
}

HoldHandshake::HoldHandshake()
    : name_(UniqueName("hold")),
      ready_(CreateEventA(nullptr, TRUE, FALSE, (name_ + "-ready").c_str())),
      release_(CreateEventA(nullptr, TRUE, FALSE, (name_ + "-release").c_str())) {}

HoldHandshake::~HoldHandshake() {
  Release();
  if (ready_ != nullptr) CloseHandle(ready_);
  if (release_ != nullptr) CloseHandle(release_);
}

bool HoldHandshake::WaitReady(DWORD milliseconds) const {
  return ready_ != nullptr && WaitForSingleObject(ready_, milliseconds) == WAIT_OBJECT_0;
}

void HoldHandshake::Release() const {
  if (release_ != nullptr) SetEvent(release_);
}

ChildProcess::~ChildProcess() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool ChildProcess::Start(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  return true;
}

bool ChildProcess::EndsWithin(DWORD milliseconds) const {
  return process_ != nullptr && WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_ != nullptr) GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace qv::system::test
