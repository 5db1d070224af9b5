// "取消" answered with Yes while the installation runs: the worker stops where it is, the
// window closes and the process ends; what was written stays whole and nothing later runs.
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e_artifacts.h"
#include "e2e_support.h"

namespace qv::e2e {
namespace {

using artifacts::kBadEntryInstaller;
using artifacts::kSevenPayload;
using artifacts::kStandIn;
using artifacts::kThreeInstaller;

class Cancel : public ::testing::Test {
protected:
  void SetUp() override { UseUnmanagedWindows(); }
};

// The package's third entry fails its verification. Its report ("ORX解压错误!") has no
// owner, so the window stays usable: the cancel is confirmed while the worker waits in the
// report, and takes effect as soon as the report is acknowledged, before any M4.
TEST_F(Cancel, DuringTheEntries) {
  const std::string dir = InstallDir();
  const std::string payload = WinePath(kSevenPayload);
  Installer installer(WinePath(kBadEntryInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  const HWND report = installer.WaitForUnownedBox();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(qv::ui::MessageBoxText(report), "\\f3.bin");
  ASSERT_TRUE(installer.WaitForLogLines(2));

  ASSERT_TRUE(CancelWithYes(installer));
  // The window waits for the worker, which is still in the report: nothing ends yet.
  EXPECT_FALSE(installer.WaitForExit(1000).has_value()) << "ended without waiting for the worker";
  EXPECT_TRUE(IsWindow(installer.Window()));
  ASSERT_TRUE(AnswerBox(report, IDOK));
  // An M4 would keep the process alive: it ends only if the worker stopped before it.
  ASSERT_TRUE(installer.WaitForExit(kExitWaitMs).has_value()) << "the installer did not end";

  for (const char* written : {"f1.txt", "f2.txt"}) {
    std::string expected;
    std::string installed;
    ASSERT_TRUE(ReadWholeFile(payload + "\\" + written, expected));
    EXPECT_TRUE(ReadWholeFile(dir + written, installed)) << written;
    EXPECT_TRUE(installed == expected) << written << " is not whole";
  }
  for (const char* never : {"f3.bin", "f4.bin", "f5.txt", "f6.bin"}) {
    EXPECT_FALSE(FileExists(dir + never)) << never;
  }
  ExpectNoStepAfterExtraction();
}

// The close box while the worker waits in the same report: the window goes at once, but the
// process lets the worker stop between entries as a confirmed cancel does, instead of
// ending it in the middle of an entry.
TEST_F(Cancel, CloseBoxDuringTheEntries) {
  const std::string dir = InstallDir();
  Installer installer(WinePath(kBadEntryInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  const HWND report = installer.WaitForUnownedBox();
  ASSERT_NE(report, nullptr);
  ASSERT_TRUE(installer.WaitForLogLines(2));

  qv::ui::PostClose(installer.Window());
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return !IsWindow(installer.Window()); }, kStepWaitMs))
      << "the close box did not end the window";
  EXPECT_FALSE(installer.WaitForExit(1000).has_value()) << "ended under the worker";
  ASSERT_TRUE(AnswerBox(report, IDOK));
  const auto exitCode = installer.WaitForExit(kExitWaitMs);
  ASSERT_TRUE(exitCode.has_value()) << "the installer did not end";
  EXPECT_EQ(*exitCode, 0u);
  for (const char* never : {"f3.bin", "f4.bin", "f5.txt", "f6.bin"}) {
    EXPECT_FALSE(FileExists(dir + never)) << never;
  }
  ExpectNoStepAfterExtraction();
}

// The earlier installation's uninstaller hangs; the cancel does not wait for it.
TEST_F(Cancel, DuringAHangingChild) {
  const std::string dir = InstallDir();
  ASSERT_TRUE(CopyStandIn(WinePath(kStandIn), dir + "uninstall.exe"));
  NamedEvent started("qv-e2e-hang-started");
  NamedEvent release("qv-e2e-hang-release");
  const std::string record = TempFolder() + "e2e_hang.txt";

  Installer installer(WinePath(kThreeInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer, {{"QV_E2E_HOLD", "qv-e2e-hang"}, {"QV_E2E_RECORD", record}}));
  ASSERT_TRUE(started.Wait(kStepWaitMs)) << "the uninstaller did not start";
  EXPECT_NE(installer.FindNoteWindow(), nullptr);

  ASSERT_TRUE(CancelWithYes(installer));
  EXPECT_TRUE(installer.WaitForExit(kExitWaitMs).has_value()) << "the cancel waited for the hanging child";

  // The child still holds: it has not written its end.
  std::string ran;
  EXPECT_TRUE(ReadWholeFile(record, ran));
  EXPECT_FALSE(RecordValue(ran, "ProbeAtEnd")) << "the child had ended on its own";
  EXPECT_FALSE(FileExists(TempFolder() + "setupdir.orxi")) << "the package was unpacked after the stop";
  EXPECT_FALSE(FileExists(dir + "file1.txt"));
  ExpectNoStepAfterExtraction();
  release.Set();
}

}  // namespace
}  // namespace qv::e2e
