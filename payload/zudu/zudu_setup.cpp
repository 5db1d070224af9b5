// ZuduSetup.exe: a stand-in for the outside installer that the setup runs last. It installs
// nothing; it records how it was started and exits.
//
// Record file: <common application data>\QVStampSample\zudusetup.txt
//   (C:\ProgramData\QVStampSample\zudusetup.txt), GBK text, replaced on every run:
//     CommandLine=<GetCommandLineA()>\r\n
//     CurrentDirectory=<current directory>\r\n
//     Module=<path of this executable>\r\n
// Exit code: 0 when the record was written, 1 when it could not be.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "record_file.h"

namespace {

constexpr char kRecordFolder[] = "QVStampSample";
constexpr char kRecordName[] = "zudusetup.txt";

std::string CurrentDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetCurrentDirectoryA(MAX_PATH + 1, buffer);
  return (length == 0 || length > MAX_PATH) ? std::string() : std::string(buffer, length);
}

std::string ModulePath() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(buffer, length);
}

// The record's folder, created when missing; empty when the data folder is unknown.
std::string RecordPath() {
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
      folder[0] == '\0') {
    return std::string();
  }
  std::string path = std::string(folder) + "\\" + kRecordFolder;
  if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return std::string();
  }
  return path + "\\" + kRecordName;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string path = RecordPath();
  if (path.empty()) return 1;
  std::string record;
  record += "CommandLine=";
  record += ::GetCommandLineA();
  record += "\r\nCurrentDirectory=";
  record += CurrentDirectory();
  record += "\r\nModule=";
  record += ModulePath();
  record += "\r\n";
  return qv::sample::WriteRecordFile(path, record) ? 0 : 1;
}
