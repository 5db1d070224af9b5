// The installer's prompts during an installation: the running browser (M1) and a file that
// cannot be written (M4: Retry, Ignore, Abort), and the progress bar after each entry.
//
// A file that cannot be written is made by a folder standing where the file must go. While
// the M4 box of entry k is open, the worker waits in it, so the progress bar shows the
// position after entry k - 1: this is how the position after every entry is read.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "e2e_artifacts.h"
#include "e2e_support.h"

namespace qv::e2e {
namespace {

using artifacts::kSevenInstaller;
using artifacts::kSevenPayload;
using artifacts::kStandIn;
using artifacts::kThreeInstaller;
using artifacts::kThreePayload;

class Prompts : public ::testing::Test {
protected:
  void SetUp() override { UseUnmanagedWindows(); }

  // Expects the M4 box of `relativePath`: text, caption and the three buttons.
  static void ExpectWriteFailedBox(HWND box, const std::string& relativePath) {
    ASSERT_NE(box, nullptr) << "no M4 for " << relativePath;
    EXPECT_EQ(qv::ui::MessageBoxText(box), InstallDir() + relativePath + "文件写入失败!\n");
    EXPECT_EQ(qv::ui::MessageBoxCaption(box), "错误");
    EXPECT_TRUE(qv::ui::HasButton(box, IDABORT));
    EXPECT_TRUE(qv::ui::HasButton(box, IDRETRY));
    EXPECT_TRUE(qv::ui::HasButton(box, IDIGNORE));
  }

  static void ExpectInstalled(const std::string& payload, const std::string& relativePath) {
    std::string expected;
    std::string installed;
    ASSERT_TRUE(ReadWholeFile(payload + "\\" + relativePath, expected));
    EXPECT_TRUE(ReadWholeFile(InstallDir() + relativePath, installed)) << relativePath << " not installed";
    EXPECT_TRUE(installed == expected) << relativePath << " differs from the payload";
  }
};

// M1 comes before the note window; after OK the browser is ended.
TEST_F(Prompts, RunningBrowserIsAnnouncedThenEnded) {
  const std::string browserPath = "C:\\e2e browser\\iexplore.exe";
  ASSERT_TRUE(CopyStandIn(WinePath(kStandIn), browserPath));
  const qv::ui::ChildProcess browser = qv::ui::ChildProcess::Start("\"" + browserPath + "\" sleep 120000");
  ASSERT_TRUE(browser.IsStarted());

  Installer installer(WinePath(kThreeInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  const HWND notice = installer.WaitForOwnedBox();
  ASSERT_NE(notice, nullptr) << "no M1 while iexplore.exe runs";
  EXPECT_EQ(qv::ui::MessageBoxText(notice),
            "即将开始安装,此过程会关闭IE浏览器,请保存好您的工作,点击\"确定\"继续");
  EXPECT_EQ(qv::ui::MessageBoxCaption(notice), "提示");
  EXPECT_TRUE(qv::ui::HasButton(notice, IDOK));
  EXPECT_FALSE(qv::ui::HasButton(notice, IDCANCEL));
  EXPECT_EQ(installer.FindNoteWindow(), nullptr) << "the note window came before M1";
  EXPECT_TRUE(browser.IsRunning());

  ASSERT_TRUE(AnswerBox(notice, IDOK));
  EXPECT_TRUE(browser.WaitForExit(kStepWaitMs)) << "the browser was not ended";
  ASSERT_TRUE(installer.WaitForFinished());
  qv::ui::ClickControl(installer.Window(), kCancelButton);
  EXPECT_EQ(installer.WaitForExit(), 0u);
}

// Retry repeats the write as often as asked and succeeds once the obstacle is gone; the
// bar stands at 33 and 66 after the first two entries and at 100 at the end.
TEST_F(Prompts, RetryAfterObstacleRemovedAndProgressOfThree) {
  const std::string dir = InstallDir();
  ASSERT_TRUE(MakeDirectories(dir + "file2.txt"));
  ASSERT_TRUE(MakeDirectories(dir + "file3.txt"));

  Installer installer(WinePath(kThreeInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  HWND box = installer.WaitForOwnedBox();
  ExpectWriteFailedBox(box, "file2.txt");
  EXPECT_EQ(installer.ProgressPosition(), 33);
  EXPECT_EQ(installer.LogText(), dir + "file1.txt\r\n");

  // The obstacle is still there: the same box again.
  ASSERT_TRUE(AnswerBox(box, IDRETRY));
  box = installer.WaitForOwnedBox();
  ExpectWriteFailedBox(box, "file2.txt");

  ASSERT_TRUE(RemoveDirectoryA((dir + "file2.txt").c_str()));
  ASSERT_TRUE(AnswerBox(box, IDRETRY));
  box = installer.WaitForOwnedBox();
  ExpectWriteFailedBox(box, "file3.txt");
  EXPECT_EQ(installer.ProgressPosition(), 66);

  ASSERT_TRUE(RemoveDirectoryA((dir + "file3.txt").c_str()));
  ASSERT_TRUE(AnswerBox(box, IDRETRY));
  ASSERT_TRUE(installer.WaitForFinished());
  EXPECT_EQ(installer.ProgressPosition(), 100);
  EXPECT_EQ(installer.LogText(), ExpectedLog(dir, {"\\file1.txt", "\\file2.txt", "\\file3.txt"}));
  ExpectPayloadInstalled(WinePath(kThreePayload), dir);
  qv::ui::ClickControl(installer.Window(), kCancelButton);
  EXPECT_EQ(installer.WaitForExit(), 0u);
}

// 14, 28, 42, 57, 71, 85 and 100: 100 * (i + 1) / 7 with the remainder dropped.
TEST_F(Prompts, ProgressOfSeven) {
  const std::string dir = InstallDir();
  const std::vector<std::string> names = CatalogueNamesBelow(WinePath(kSevenPayload));
  ASSERT_EQ(names.size(), 7u);
  for (size_t i = 1; i < names.size(); ++i) ASSERT_TRUE(MakeDirectories(dir + names[i].substr(1)));

  Installer installer(WinePath(kSevenInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  const int expected[] = {14, 28, 42, 57, 71, 85};
  for (size_t i = 1; i < names.size(); ++i) {
    const HWND box = installer.WaitForOwnedBox();
    ExpectWriteFailedBox(box, names[i].substr(1));
    EXPECT_EQ(installer.ProgressPosition(), expected[i - 1]) << "after entry " << i;
    ASSERT_TRUE(RemoveDirectoryA((dir + names[i].substr(1)).c_str()));
    ASSERT_TRUE(AnswerBox(box, IDRETRY));
  }
  ASSERT_TRUE(installer.WaitForFinished());
  EXPECT_EQ(installer.ProgressPosition(), 100);
  EXPECT_EQ(installer.LogText(), ExpectedLog(dir, names));
  ExpectPayloadInstalled(WinePath(kSevenPayload), dir);
}

// Ignore logs the entry and counts it like a success; the installation goes on to the end.
TEST_F(Prompts, IgnoreLogsAndCountsTheEntry) {
  const std::string dir = InstallDir();
  ASSERT_TRUE(MakeDirectories(dir + "file2.txt"));

  Installer installer(WinePath(kThreeInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  const HWND box = installer.WaitForOwnedBox();
  ExpectWriteFailedBox(box, "file2.txt");
  ASSERT_TRUE(AnswerBox(box, IDIGNORE));

  ASSERT_TRUE(installer.WaitForFinished());
  EXPECT_EQ(installer.LogText(), ExpectedLog(dir, {"\\file1.txt", "\\file2.txt", "\\file3.txt"}));
  EXPECT_EQ(installer.ProgressPosition(), 100);
  EXPECT_TRUE(DirectoryExists(dir + "file2.txt"));
  ExpectInstalled(WinePath(kThreePayload), "file1.txt");
  ExpectInstalled(WinePath(kThreePayload), "file3.txt");
  EXPECT_TRUE(FileExists(dir + "qvsetup_bk.exe"));
  qv::ui::ClickControl(installer.Window(), kCancelButton);
  EXPECT_EQ(installer.WaitForExit(), 0u);
}

// Abort ends the process at once with 1602 (cancelled by the user): what was extracted stays,
// nothing later runs.
TEST_F(Prompts, AbortEndsWith1602AndRunsNoLaterStep) {
  const std::string dir = InstallDir();
  ASSERT_TRUE(MakeDirectories(dir + "file2.txt"));

  Installer installer(WinePath(kThreeInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  const HWND box = installer.WaitForOwnedBox();
  ExpectWriteFailedBox(box, "file2.txt");
  qv::ui::PressMessageBoxButton(box, IDABORT);

  EXPECT_EQ(installer.WaitForExit(), 1602u);
  ExpectInstalled(WinePath(kThreePayload), "file1.txt");
  EXPECT_FALSE(FileExists(dir + "file3.txt"));
  ExpectNoStepAfterExtraction();
}

}  // namespace
}  // namespace qv::e2e
