// The launcher run for real under Wine: a test build of it (QVSetupTestLauncher) embeds the
// redistributable stand-in as resource 101 and an installer stand-in as resource 102; both
// record their command lines and start and end times. The test starts the launcher as a
// child process, watches its windows and answers its message boxes.
//
// Arguments (after the gtest flags): test launcher, redistributable stand-in, installer
// stand-in, a folder whose "vcr.exe" and "ostrumsetup4.exe" lead to a full device, and
// optionally the real QVSetup.exe (for RealInstaller.*).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "process_watch.h"
#include "standin_records.h"
#include "ui_driver.h"

namespace launcher_test {
namespace {

struct Paths {
  std::string testLauncher, redistStandin, installerStandin, fullDeviceFolder, realLauncher;
} g_paths;

constexpr char kNoteText[] = "初始化安装环境...";
constexpr char kErrorCaption[] = "错误";
constexpr char kErrorText[] = "系统临时目录不可写,请检查系统盘空间是否足够!";
constexpr char kRedistArgs[] = "/q /norestart";
constexpr char kRedistImage[] = "vcr.exe";
constexpr char kInstallerImage[] = "ostrumsetup4.exe";
constexpr char kInstallerTitle[] = "Qelvo电子印章阅读器  V1.0 安装程序";

// Upper bounds for things that normally take a second or two under Wine; never timings.
constexpr unsigned kLongWaitMs = 60000;
// File times come from the kernel's coarse clock, which may lag the clock the stand-ins read
// by a few milliseconds. Order mistakes this test looks for are seconds long.
constexpr unsigned long long kClockSlack = 50 * 10000ULL;  // 50 ms in FILETIME steps

using qv::ui::ChildProcess;

unsigned long long LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

ChildProcess StartLauncher(const std::string& exe, const std::string& args,
                           const qv::ui::Environment& env) {
  DWORD error = 0;
  ChildProcess child = ChildProcess::Start(qv::ui::Quote(exe) + (args.empty() ? "" : " " + args), env, {}, &error);
  EXPECT_TRUE(child.IsStarted()) << "cannot start " << exe << ": error " << error;
  return child;
}

// The launcher's note window: a dialog holding the static text "初始化安装环境...". Its texts
// are read with GetWindowTextA, which needs no answer from the launcher's thread (that thread
// pumps no messages while it waits for the redistributable).
HWND FindNoteWindow(DWORD pid) {
  qv::ui::WindowFilter filter;
  filter.processId = pid;
  filter.className = "#32770";
  for (HWND dialog : qv::ui::FindTopLevelWindows(filter)) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      char text[128] = {};
      GetWindowTextA(child, text, sizeof text);
      if (qv::ui::ClassName(child) == "Static" && std::string(text) == kNoteText) return dialog;
    }
  }
  return nullptr;
}

std::string TempFolder() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Clean slate: nothing recorded, no stand-in still running from an earlier case.
void ResetStandins() {
  ASSERT_TRUE(WaitUntilRunning(kRedistImage, false, kLongWaitMs));
  ASSERT_TRUE(WaitUntilRunning(kInstallerImage, false, kLongWaitMs));
  ClearRuns(kRedistRecord);
  ClearRuns(kInstallerRecord);
}

// ---------------------------------------------------------------------------------------
// A whole run, with the launcher's own arguments varied: they must change nothing.

class LauncherRun : public ::testing::TestWithParam<const char*> {};

TEST_P(LauncherRun, RunsRedistributableQuietlyWaitsThenStartsInstallerAndEnds) {
  ResetStandins();
  const std::string temp = TempFolder();
  const std::string redistCopy = temp + kRedistImage;
  const std::string installerCopy = temp + kInstallerImage;
  const std::string redistBytes = ReadBytes(g_paths.redistStandin);
  const std::string installerBytes = ReadBytes(g_paths.installerStandin);
  ASSERT_FALSE(redistBytes.empty());
  ASSERT_FALSE(installerBytes.empty());
  // Stale, longer files from an earlier run: they must be replaced byte for byte.
  const std::string junk(installerBytes.size() + redistBytes.size() + 4096, 'J');
  WriteBytes(redistCopy, junk);
  WriteBytes(installerCopy, junk);

  ChildProcess launcher = StartLauncher(g_paths.testLauncher, GetParam(), {{"QV_STANDIN_WORK_MS", "5000"}});
  ASSERT_TRUE(launcher.IsStarted());

  // While the redistributable runs: the installer not yet written, the note up.
  ASSERT_TRUE(WaitUntilRunning(kRedistImage, true, kLongWaitMs));
  EXPECT_TRUE(ReadBytes(installerCopy) == junk) << "the installer was written before the redistributable ended";
  EXPECT_FALSE(IsRunning(kInstallerImage));
  HWND note = nullptr;
  qv::ui::WaitUntil([&] { return (note = FindNoteWindow(launcher.Id())) != nullptr; }, kLongWaitMs);
  ASSERT_NE(note, nullptr) << "no note window while the redistributable runs";
  LONG style = GetWindowLongA(note, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_NE(style & WS_CAPTION, WS_CAPTION) << "the note has no caption";
  RECT rect;
  GetWindowRect(note, &rect);
  EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);

  std::optional<DWORD> exitCode = launcher.WaitForExit(kLongWaitMs);
  const unsigned long long launcherGone = NowFileTime();
  ASSERT_TRUE(exitCode) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0u);

  std::vector<StandinRun> installerRuns = WaitForRuns(kInstallerRecord, 1, kLongWaitMs);
  std::vector<StandinRun> redistRuns = ReadRuns(kRedistRecord);
  ASSERT_EQ(redistRuns.size(), 1u);
  ASSERT_EQ(installerRuns.size(), 1u);
  EXPECT_EQ(redistRuns[0].args, kRedistArgs);
  EXPECT_EQ(installerRuns[0].args, "") << "the installer gets no arguments";
  EXPECT_GE(installerRuns[0].start, redistRuns[0].end) << "installer started before the redistributable ended";
  EXPECT_GE(LastWriteTime(installerCopy) + kClockSlack, redistRuns[0].end)
      << "installer written before the redistributable ended";
  EXPECT_LT(launcherGone, installerRuns[0].end) << "the launcher waited for the installer";

  EXPECT_TRUE(ReadBytes(redistCopy) == redistBytes) << "vcr.exe is not resource 101 byte for byte";
  EXPECT_TRUE(ReadBytes(installerCopy) == installerBytes) << "ostrumsetup4.exe is not resource 102 byte for byte";
}

INSTANTIATE_TEST_SUITE_P(LauncherArguments, LauncherRun,
                         ::testing::Values("", "-s", "-S /q /norestart \"C:\\a b\""));

// ---------------------------------------------------------------------------------------

TEST(SecondLauncher, EndsAtOnceAndSilentlyWhileTheFirstWaits) {
  ResetStandins();
  // A long redistributable run, so that the second launcher surely starts and ends inside it.
  const qv::ui::Environment env = {{"QV_STANDIN_WORK_MS", "8000"}};
  ChildProcess first = StartLauncher(g_paths.testLauncher, "", env);
  ASSERT_TRUE(first.IsStarted());
  ASSERT_TRUE(WaitUntilRunning(kRedistImage, true, kLongWaitMs));

  ChildProcess second = StartLauncher(g_paths.testLauncher, "", env);
  std::optional<DWORD> exitCode = second.WaitForExit(kLongWaitMs);
  ASSERT_TRUE(exitCode) << "the second launcher did not end";
  EXPECT_EQ(*exitCode, 0u);
  EXPECT_TRUE(IsRunning(kRedistImage)) << "the second launcher ended only after the first's redistributable";
  EXPECT_TRUE(first.IsRunning()) << "the first launcher is still waiting";

  exitCode = first.WaitForExit(kLongWaitMs);
  ASSERT_TRUE(exitCode) << "the first launcher did not end";
  EXPECT_EQ(*exitCode, 0u);
  std::vector<StandinRun> installerRuns = WaitForRuns(kInstallerRecord, 1, kLongWaitMs);
  ASSERT_TRUE(WaitUntilRunning(kInstallerImage, false, kLongWaitMs));
  EXPECT_EQ(ReadRuns(kRedistRecord).size(), 1u) << "only the first launcher runs the redistributable";
  EXPECT_EQ(ReadRuns(kInstallerRecord).size(), 1u) << "only the first launcher starts the installer";
}

// ---------------------------------------------------------------------------------------
// A temp folder that cannot take the files: the error box once for each program, nothing run.

struct UnwritableTemp {
  const char* name;
  std::string (*prepare)();  // makes the situation; returns the TMP/TEMP value to use
};

std::string MissingFolder() { return "C:\\qv-no-such-folder\\below\\"; }

std::string FoldersInTheWay() {
  std::string folder = TempFolder() + "qv-blocked\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + kRedistImage).c_str(), nullptr);
  CreateDirectoryA((folder + kInstallerImage).c_str(), nullptr);
  return folder;
}

// The folder fits in MAX_PATH, the folder and a file name together do not.
std::string NameDoesNotFit() { return "C:\\" + std::string(250, 'n') + "\\"; }
// The folder alone is longer than MAX_PATH.
std::string FolderDoesNotFit() { return "C:\\" + std::string(300, 'f') + "\\"; }
// The files can be opened, but not a byte can be written: a full disk.
std::string DiskFull() { return g_paths.fullDeviceFolder + "\\"; }

class TempNotWritable : public ::testing::TestWithParam<UnwritableTemp> {};

TEST_P(TempNotWritable, ShowsTheErrorTwiceAndRunsNothing) {
  ResetStandins();
  const std::string tmp = GetParam().prepare();
  ChildProcess launcher = StartLauncher(g_paths.testLauncher, "",
                                       {{"TMP", tmp}, {"TEMP", tmp}, {"QV_STANDIN_WORK_MS", "200"}});
  ASSERT_TRUE(launcher.IsStarted());

  qv::ui::WindowFilter errorBox;
  errorBox.processId = launcher.Id();
  errorBox.className = "#32770";
  errorBox.title = kErrorCaption;
  for (int box = 1; box <= 2; ++box) {
    SCOPED_TRACE(box == 1 ? "box for vcr.exe" : "box for ostrumsetup4.exe");
    HWND error = qv::ui::WaitForWindow(errorBox, kLongWaitMs);
    ASSERT_NE(error, nullptr) << "no error box";
    EXPECT_EQ(qv::ui::MessageBoxText(error), kErrorText) << qv::ui::GbkToUtf8(qv::ui::MessageBoxText(error));
    EXPECT_EQ(GetWindow(error, GW_OWNER), nullptr) << "the box has no owner window";
    EXPECT_TRUE(qv::ui::HasButton(error, IDOK));
    EXPECT_FALSE(qv::ui::HasButton(error, IDCANCEL));
    qv::ui::PressMessageBoxButton(error, IDOK);
    ASSERT_TRUE(qv::ui::WaitUntil([&] { return !IsWindow(error); }, kLongWaitMs));
  }

  std::optional<DWORD> exitCode = launcher.WaitForExit(kLongWaitMs);
  ASSERT_TRUE(exitCode) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0u);
  Sleep(1500);  // a program started by mistake would have recorded its run by now
  EXPECT_TRUE(ReadRuns(kRedistRecord).empty()) << "vcr.exe ran";
  EXPECT_TRUE(ReadRuns(kInstallerRecord).empty()) << "the installer ran";
  EXPECT_FALSE(IsRunning(kRedistImage));
  EXPECT_FALSE(IsRunning(kInstallerImage));
}

INSTANTIATE_TEST_SUITE_P(
    Temp, TempNotWritable,
    ::testing::Values(UnwritableTemp{"MissingFolder", MissingFolder},
                      UnwritableTemp{"FoldersInTheWay", FoldersInTheWay},
                      UnwritableTemp{"NameDoesNotFit", NameDoesNotFit},
                      UnwritableTemp{"FolderDoesNotFit", FolderDoesNotFit},
                      UnwritableTemp{"DiskFull", DiskFull}),
    [](const ::testing::TestParamInfo<UnwritableTemp>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// The shipped launcher with the real installer: the installer's window comes up after the
// launcher has gone.

TEST(RealInstaller, LauncherStartsTheInstallersWindowAndEnds) {
  ASSERT_FALSE(g_paths.realLauncher.empty()) << "pass the real QVSetup.exe as the fifth argument";
  ResetStandins();
  ChildProcess launcher = StartLauncher(g_paths.realLauncher, "", {});
  ASSERT_TRUE(launcher.IsStarted());
  qv::ui::WindowFilter setupWindow;
  setupWindow.title = kInstallerTitle;
  HWND window = qv::ui::WaitForWindow(setupWindow, kLongWaitMs);
  ASSERT_NE(window, nullptr) << "the installer's window did not appear";
  EXPECT_TRUE(launcher.WaitForExit(kLongWaitMs)) << "the launcher did not end";
  std::vector<StandinRun> redistRuns = ReadRuns(kRedistRecord);
  ASSERT_EQ(redistRuns.size(), 1u);
  EXPECT_EQ(redistRuns[0].args, kRedistArgs);

  qv::fw::UniqueHandle installer(
      OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, qv::ui::ProcessOf(window)));
  ASSERT_TRUE(installer);
  TerminateProcess(installer.get(), 0);
  WaitForSingleObject(installer.get(), kLongWaitMs);
}

}  // namespace
}  // namespace launcher_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s [gtest flags] TEST_LAUNCHER REDIST_STANDIN INSTALLER_STANDIN "
                         "FULL_DEVICE_FOLDER [QVSETUP]\n", argv[0]);
    return 2;
  }
  launcher_test::g_paths = {argv[1], argv[2], argv[3], argv[4], argc > 5 ? argv[5] : ""};
  return RUN_ALL_TESTS();
}
