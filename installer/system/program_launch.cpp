#include "installer/system/program_launch.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>
#include <new>

#include "installer/system/path_text.h"
#include "installer/system/scoped_handle.h"
#include "installer/system/stop_request.h"

namespace qv::system {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::size_t kParameterBufferSize = 264;

struct Registration {
  const char* program;
  const char* parameterFormat;  // installDir fills the %s
};

constexpr Registration kRegistrations[] = {
    {"regsvr32.exe", "/s \"%s\\docrenderocx.ocx\""},
    {"regsvr32.exe", "/s \"%s\\ConvertSeal.ocx\""},
    {"regsvr32.exe", "/s \"%s\\ReadKeyInfo.ocx\""},
    {"regsvr32.exe", "/s \"%s\\SealViews.ocx\""},
    {"regedit.exe", "/s \"%s\\uninstall.reg\""},
    {"regedit.exe", "/s \"%s\\shell.reg\""},
    {"ZuduSetup.exe", "/sp- /silent /norestart"},
};

// Waits until process has ended or a stop is requested.
void WaitForProcessOrStop(HANDLE process) {
  const HANDLE stop = StopEvent();
  if (stop == nullptr) {
    WaitForSingleObject(process, INFINITE);
    return;
  }
  const HANDLE handles[] = {process, stop};
  WaitForMultipleObjects(2, handles, FALSE, INFINITE);
}

// Copies all of source to destination in one block. False on any short read or write.
bool CopyWholeFile(std::FILE* source, std::FILE* destination) {
  if (std::fseek(source, 0, SEEK_END) != 0) return false;
  const long size = std::ftell(source);
  if (size < 0) return false;
  std::rewind(source);
  if (size == 0) return true;
  const std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
  if (!block) return false;
  const std::size_t length = static_cast<std::size_t>(size);
  if (std::fread(block.get(), 1, length, source) != length) return false;
  if (std::fwrite(block.get(), 1, length, destination) != length) return false;
  return std::fflush(destination) == 0;
}

// Opens destination for writing (emptying it) and, when source (may be null) opens, copies it.
// A copy that fails half-way leaves destination empty.
void CopyOrEmpty(const char* source, const char* destination) {
  ScopedFile in(source != nullptr ? std::fopen(source, "rb") : nullptr);
  ScopedFile out(std::fopen(destination, "wb"));
  if (!in || !out) return;
  if (CopyWholeFile(in.get(), out.get())) return;
  out.reset();
  out.reset(std::fopen(destination, "wb"));
}

// "<program-files folder>\QVStampReader\uninstall.exe"; false when the folder query fails or
// the path does not fit.
bool PreviousUninstallerPath(char (&path)[MAX_PATH]) {
  char programFiles[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT,
                              programFiles)) ||
      programFiles[0] == '\0') {
    return false;
  }
  return FormatText(path, sizeof path, "%s\\QVStampReader\\uninstall.exe", programFiles);
}

// "<temp folder>\qv_uninstall.exe"; false when the temp query fails or the path does not fit.
bool UninstallerCopyPath(char (&path)[MAX_PATH]) {
  char tempFolder[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, tempFolder);
  if (length == 0 || length >= MAX_PATH) return false;
  return FormatText(path, sizeof path, "%s\\qv_uninstall.exe", tempFolder);
}

}  // namespace

void RunAndWait(const char* program, const char* parameters) {
  if (program == nullptr || StopRequested()) return;
  SHELLEXECUTEINFOA launch;
  ZeroMemory(&launch, sizeof launch);
  launch.cbSize = sizeof launch;
  launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  launch.lpVerb = "open";
  launch.lpFile = program;
  launch.lpParameters = parameters;
  launch.nShow = SW_SHOWNORMAL;
  ShellExecuteExA(&launch);
  const ScopedHandle process(launch.hProcess);
  if (process) WaitForProcessOrStop(process.get());
}

void RunPreviousUninstaller() {
  char copyPath[MAX_PATH];
  if (!UninstallerCopyPath(copyPath)) return;
  char sourcePath[MAX_PATH];
  const bool haveSource = PreviousUninstallerPath(sourcePath);
  CopyOrEmpty(haveSource ? sourcePath : nullptr, copyPath);
  RunAndWait(copyPath, "/s");
}

void RegisterComponents(const char* installDir) {
  if (installDir == nullptr) return;
  for (const Registration& registration : kRegistrations) {
    char parameters[kParameterBufferSize];
    if (!FormatText(parameters, sizeof parameters, registration.parameterFormat, installDir)) {
      continue;
    }
    RunAndWait(registration.program, parameters);
  }
}

}  // namespace qv::system
