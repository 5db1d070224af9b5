// Support of the end-to-end tests: the real installer started as its own process in the
// test's Wine prefix and driven from outside (tests/support's UI driver), and reading back
// what an installation leaves on the machine: files, registry, shell links, temp files.
//
// Texts are GBK bytes throughout, as the installer's narrow Win32 calls see them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui_driver.h"

namespace qv::e2e {

// Waits of the tests. An installation under Wine takes seconds; these only bound a hang.
constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kStepWaitMs = 60000;
constexpr DWORD kExitWaitMs = 60000;

// Control ids of the setup window and the note window.
enum ControlId {
  kInstallButton = 1001,
  kCancelButton = 1002,
  kTitleText = 1004,
  kProgressBar = 1007,
  kLogBox = 1009,
  kNoteText = 1010,
};

extern const char kWindowTitle[];  // "Qelvo电子印章阅读器  V1.0 安装程序"
extern const char kNoteTemplateText[];  // "安装程序正在初始化..."

// A host path of the build tree as the Windows programs see it (Z:\...).
std::string WinePath(const std::string& hostPath);

// ---- files ----
bool ReadWholeFile(const std::string& path, std::string& content);
bool WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);       // a file, not a folder
bool DirectoryExists(const std::string& path);
// Creates every missing folder of `path` (a folder path, '\\' separated).
bool MakeDirectories(const std::string& path);
// The files below `folder` as catalogue names: a backslash and the relative path, in the
// catalogue's order (byte order of the GBK names).
std::vector<std::string> CatalogueNamesBelow(const std::string& folder);
// The files below `folder`, relative paths (catalogue names without their backslash).
std::vector<std::string> RelativeFilesBelow(const std::string& folder);
// key=value lines of a record file; value of `key`, or nothing.
std::optional<std::string> RecordValue(const std::string& recordText, const std::string& key);

// ---- places of this prefix ----
std::string ProgramFilesFolder();  // no trailing backslash
std::string InstallDir();          // ProgramFilesFolder() + "\QVStampReader\"
std::string TempFolder();          // with a trailing backslash
std::string SpecialFolder(int csidl);

// ---- registry (64-bit view) ----
std::optional<std::string> RegistryString(HKEY root, const std::string& key, const char* value);
bool RegistryKeyExists(HKEY root, const std::string& key);
bool SetRegistryString(HKEY root, const std::string& key, const char* value, const std::string& text);
bool DeleteRegistryValue(HKEY root, const std::string& key, const char* value);

// ---- shell links ----
struct LinkInfo {
  bool loaded = false;
  std::string target;
  std::string workingDirectory;
};
LinkInfo ReadShellLink(const std::string& linkPath);

// Lets Wine draw the frames of new windows itself, so that they open and close at once on
// the test display, which has no window manager. Affects programs started afterwards.
void UseUnmanagedWindows();

// A named event of this process, created (manual reset, not signalled) and closed with it.
class NamedEvent {
public:
  explicit NamedEvent(const std::string& name);
  ~NamedEvent();
  NamedEvent(const NamedEvent&) = delete;
  NamedEvent& operator=(const NamedEvent&) = delete;
  bool Wait(DWORD timeoutMs) const;
  void Set() const;

private:
  HANDLE m_event;
};

// The installer under test, started and driven like a person would.
class Installer {
public:
  // `exe`: Windows path of the installer program.
  explicit Installer(std::string exe);
  ~Installer();
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  // Starts the program with the argument text `arguments`; false when it did not start.
  bool Start(const std::string& arguments = "", const qv::ui::Environment& env = {});
  const std::string& Exe() const { return m_exe; }
  DWORD Pid() const { return m_process.Id(); }
  bool IsRunning() const { return m_process.IsRunning(); }
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kExitWaitMs) const;

  // The setup window, once it shows (null on timeout).
  HWND WaitForSetupWindow(DWORD timeoutMs = kWindowWaitMs);
  HWND Window() const { return m_window; }

  // A message box owned by the setup window / one owned by no window, other than `except`.
  HWND WaitForOwnedBox(DWORD timeoutMs = kStepWaitMs, HWND except = nullptr) const;
  HWND WaitForUnownedBox(DWORD timeoutMs = kStepWaitMs) const;
  // The note window (a top-level dialog of the process holding control 1010), if it shows.
  HWND FindNoteWindow() const;

  // What the setup window shows.
  std::string LogText() const;
  int ProgressPosition() const;
  bool IsFinished() const;  // the title reads "安装完成!" and button 1002 "完成"
  bool WaitForFinished(DWORD timeoutMs = kStepWaitMs) const;
  // Waits until the log box holds `lines` lines.
  bool WaitForLogLines(size_t lines, DWORD timeoutMs = kStepWaitMs) const;

private:
  std::string m_exe;
  qv::ui::ChildProcess m_process;
  HWND m_window = nullptr;
};

// Starts the installer interactively, waits for its window and clicks "安装"; false when
// any of it failed.
bool StartAndClickInstall(Installer& installer, const qv::ui::Environment& env = {});

// Clicks "取消" and answers the question "您确定要取消安装吗?" with Yes; false when the
// question did not come.
bool CancelWithYes(Installer& installer);

// Copies the stand-in program (e2e_standin.cpp) to `destination`, making its folders.
bool CopyStandIn(const std::string& standIn, const std::string& destination);

// Presses button `id` of a message box and waits until the box has gone.
bool AnswerBox(HWND box, int id, DWORD timeoutMs = kStepWaitMs);

// Text of a window read without sending it a message (works while its thread is busy).
std::string WindowTextWithoutMessage(HWND window);

// The log lines that the installation of `names` (catalogue names, in catalogue order)
// into installDir writes: one destination per entry, the newest first, each followed by
// "\r\n".
std::string ExpectedLog(const std::string& installDir, const std::vector<std::string>& names);

// gtest expectations: every file below payloadDir is installed in installDir byte for byte.
void ExpectPayloadInstalled(const std::string& payloadDir, const std::string& installDir);

// gtest expectations on everything that a complete installation of the sample payload leaves
// (files, backup copy, temp files, registry values, shortcuts, registrations, ZuduSetup's
// record). `installerExe` is the program that ran.
void ExpectCompleteSampleInstallation(const std::string& payloadDir, const std::string& installerExe);

// gtest expectations: none of the steps after the extraction has run (no backup copy, no
// uninstall entry or file association, no shortcuts).
void ExpectNoStepAfterExtraction();

}  // namespace qv::e2e
