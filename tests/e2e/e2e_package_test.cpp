// Installers whose embedded package is damaged on purpose, and one with an empty payload.
// M2 ("安装程序被损坏,请重新下载!\nCode=<n>") has no caption of its own: it shows the
// application's name, the installer's file name without ".exe".
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e_artifacts.h"
#include "e2e_support.h"

namespace qv::e2e {
namespace {

using artifacts::kBadBannerInstaller;
using artifacts::kBadIndexInstaller;
using artifacts::kBadStreamInstaller;
using artifacts::kEmptyInstaller;

class Package : public ::testing::Test {
protected:
  void SetUp() override { UseUnmanagedWindows(); }

  // Expects M2 with `code` from the installer named `appName`, with the note window still on
  // screen, and answers it.
  static void AnswerCorruptSetupBox(const Installer& installer, const char* appName, int code) {
    const HWND box = installer.WaitForOwnedBox();
    ASSERT_NE(box, nullptr) << "no M2 with code " << code;
    EXPECT_EQ(qv::ui::MessageBoxText(box), "安装程序被损坏,请重新下载!\nCode=" + std::to_string(code));
    EXPECT_EQ(qv::ui::MessageBoxCaption(box), appName);
    EXPECT_TRUE(qv::ui::HasButton(box, IDOK));
    EXPECT_FALSE(qv::ui::HasButton(box, IDCANCEL));
    EXPECT_NE(installer.FindNoteWindow(), nullptr) << "M2 came after the note window had gone";
    ASSERT_TRUE(AnswerBox(box, IDOK));
  }

  // The later steps ran all the same, to the Finished state.
  static void ExpectFinishedWithEmptyLog(Installer& installer) {
    ASSERT_TRUE(installer.WaitForFinished());
    EXPECT_EQ(installer.LogText(), "");
    EXPECT_EQ(installer.ProgressPosition(), 0) << "the progress bar was touched";
    EXPECT_TRUE(FileExists(InstallDir() + "qvsetup_bk.exe"));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器",
                             "UninstallString"),
              InstallDir() + "uninstall.exe");
    qv::ui::ClickControl(installer.Window(), kCancelButton);
    EXPECT_EQ(installer.WaitForExit(), 0u);
  }
};

// The index blob fails to decode: code 0, and the empty index file left behind is refused
// too: code 4. No entry is installed.
TEST_F(Package, UndecodableIndexBlob) {
  Installer installer(WinePath(kBadIndexInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  AnswerCorruptSetupBox(installer, "e2e_setup_bad_index", 0);
  AnswerCorruptSetupBox(installer, "e2e_setup_bad_index", 4);
  ExpectFinishedWithEmptyLog(installer);
  std::string index;
  EXPECT_TRUE(ReadWholeFile(TempFolder() + "setupdir.orxi", index));
  EXPECT_EQ(index.size(), 0u);
}

// The stream blob fails to decode: code 1; the catalogue still loads and every entry fails
// its verification ("ORX解压错误!", no owner), then M4. Ignored entries are logged.
TEST_F(Package, UndecodableStreamBlob) {
  Installer installer(WinePath(kBadStreamInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  AnswerCorruptSetupBox(installer, "e2e_setup_bad_stream", 1);
  for (const char* name : {"\\file1.txt", "\\file2.txt", "\\file3.txt"}) {
    const HWND report = installer.WaitForUnownedBox();
    ASSERT_NE(report, nullptr) << "no verification report for " << name;
    EXPECT_EQ(qv::ui::MessageBoxCaption(report), "ORX解压错误!");
    EXPECT_EQ(qv::ui::MessageBoxText(report), name);
    ASSERT_TRUE(AnswerBox(report, IDOK));
    const HWND box = installer.WaitForOwnedBox();
    ASSERT_NE(box, nullptr) << "no M4 for " << name;
    EXPECT_EQ(qv::ui::MessageBoxText(box), InstallDir() + (name + 1) + "文件写入失败!\n");
    ASSERT_TRUE(AnswerBox(box, IDIGNORE));
    EXPECT_FALSE(FileExists(InstallDir() + (name + 1))) << "unverified data was written";
  }
  ASSERT_TRUE(installer.WaitForFinished());
  EXPECT_EQ(installer.LogText(), ExpectedLog(InstallDir(), {"\\file1.txt", "\\file2.txt", "\\file3.txt"}));
  EXPECT_EQ(installer.ProgressPosition(), 100);
}

// The index decodes but its banner is wrong: code 4 alone.
TEST_F(Package, IndexWithBadBanner) {
  Installer installer(WinePath(kBadBannerInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  AnswerCorruptSetupBox(installer, "e2e_setup_bad_banner", 4);
  ExpectFinishedWithEmptyLog(installer);
}

// Nothing to extract: no entry step, an empty log, the later steps all the same.
TEST_F(Package, EmptyPayload) {
  Installer installer(WinePath(kEmptyInstaller));
  ASSERT_TRUE(StartAndClickInstall(installer));
  ExpectFinishedWithEmptyLog(installer);
  EXPECT_TRUE(DirectoryExists(InstallDir()));
}

}  // namespace
}  // namespace qv::e2e
