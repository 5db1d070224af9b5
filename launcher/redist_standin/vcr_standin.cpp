// A stand-in for a program that the launcher embeds, for builds and tests that cannot have
// the real one (Microsoft's runtime redistributable cannot be fetched here).
//
// It takes about 1.5 s, like a quiet installer doing its work, so that a second launcher can
// be started while the first one waits. Tests that need a longer window set the environment
// variable QV_STANDIN_WORK_MS (milliseconds, up to 60000); the launcher passes its
// environment on to the programs it starts. On its way out it appends one line to the record
// file C:\ProgramData\QVStampSample\<STANDIN_RECORD> (the common application-data folder):
//   start=<FILETIME> end=<FILETIME> pid=<process id> args=<command line after the program>
// The times are UTC FILETIME counts (100 ns steps), comparable with GetSystemTimeAsFileTime
// of other processes and with file times. The exit code is 0.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef STANDIN_RECORD
#define STANDIN_RECORD "vcr.txt"
#endif

namespace {

constexpr DWORD kDefaultWorkMillis = 1500;
constexpr DWORD kMaxWorkMillis = 60000;

DWORD WorkMillis() {
  char text[16] = {};
  DWORD len = ::GetEnvironmentVariableA("QV_STANDIN_WORK_MS", text, sizeof text);
  if (len == 0 || len >= sizeof text) return kDefaultWorkMillis;
  char* end = nullptr;
  unsigned long ms = std::strtoul(text, &end, 10);
  if (*end != '\0' || ms > kMaxWorkMillis) return kDefaultWorkMillis;
  return static_cast<DWORD>(ms);
}

unsigned long long Now() {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// The command line less the program's own name (quoted or bare) and the blanks after it.
const char* ArgumentsOf(const char* cmd) {
  if (*cmd == '"') {
    ++cmd;
    while (*cmd && *cmd != '"') ++cmd;
    if (*cmd == '"') ++cmd;
  } else {
    while (*cmd && *cmd != ' ' && *cmd != '\t') ++cmd;
  }
  while (*cmd == ' ' || *cmd == '\t') ++cmd;
  return cmd;
}

std::string RecordPath() {
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return std::string();
  std::string path = std::string(folder) + "\\QVStampSample";
  ::CreateDirectoryA(path.c_str(), nullptr);
  return path + "\\" STANDIN_RECORD;
}

// Appends the line in one write, so that lines of concurrent runs never interleave.
void AppendRecord(const std::string& line) {
  std::string path = RecordPath();
  if (path.empty()) return;
  HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  unsigned long long start = Now();
  ::Sleep(WorkMillis());
  unsigned long long end = Now();
  char times[96];
  std::snprintf(times, sizeof times, "start=%llu end=%llu pid=%lu args=", start, end,
                static_cast<unsigned long>(::GetCurrentProcessId()));
  AppendRecord(times + std::string(ArgumentsOf(::GetCommandLineA())) + "\r\n");
  return 0;
}
