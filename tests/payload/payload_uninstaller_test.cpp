// uninstall.exe against a real installation in the test prefix: run as the installer runs it
// (a temp copy with /s), in place, asking first, and next to things that are not its own.
#include <gtest/gtest.h>

#include <string>

#include "installer/system/program_launch.h"
#include "payload_test_support.h"
#include "sample_installation.h"

namespace {

using namespace qv::payload_test;

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
constexpr DWORD kRemoved = 0;
constexpr DWORD kDeclined = 1;
constexpr DWORD kIncomplete = 2;

// The copy the installer makes before it runs the previous uninstaller.
std::string TempCopy(const std::string& installDir) {
  const std::string copy = TempDir() + "qv_uninstall.exe";
  EXPECT_TRUE(::CopyFileA((installDir + "uninstall.exe").c_str(), copy.c_str(), FALSE));
  return copy;
}

class UninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallSample(DefaultInstallDir());
    ExpectInstalled(DefaultInstallDir());
  }
};

TEST_F(UninstallerTest, TheInstallersRunOfATempCopyRemovesEverything) {
  qv::system::RunPreviousUninstaller();  // copies to %TEMP%\qv_uninstall.exe, runs it with /s, waits

  ExpectRemoved(DefaultInstallDir());
  EXPECT_TRUE(FileExists(TempDir() + "qv_uninstall.exe")) << "the copy is the installer's to keep";
}

TEST_F(UninstallerTest, ATempCopySucceedsAgainWhenEverythingIsAlreadyGone) {
  const std::string copy = TempCopy(DefaultInstallDir());
  ASSERT_EQ(RunProgram(Quote(copy) + " /s"), kRemoved);
  ExpectRemoved(DefaultInstallDir());

  EXPECT_EQ(RunProgram(Quote(copy) + " /s"), kRemoved);
  ExpectRemoved(DefaultInstallDir());
}

TEST_F(UninstallerTest, SucceedsWhenSomePiecesAreAlreadyGone) {
  const std::string dir = DefaultInstallDir();
  const std::string copy = TempCopy(dir);
  ASSERT_TRUE(::DeleteFileA(DesktopLink().c_str()));
  ASSERT_TRUE(::DeleteFileA(UninstallLink().c_str()));
  ASSERT_TRUE(::DeleteFileA((dir + "shell.reg").c_str()));
  ASSERT_TRUE(::DeleteFileA((dir + "res\\skins\\default\\theme.ini").c_str()));
  DeleteTree(HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon");

  EXPECT_EQ(RunProgram(Quote(copy) + " /s"), kRemoved);
  ExpectRemoved(dir);
}

// Started from the start-menu link: the program inside the folder it removes, and that folder
// as its current folder.
TEST_F(UninstallerTest, RunInPlaceItRemovesTheWholeFolderAndLeavesNothingForLater) {
  const std::string dir = DefaultInstallDir();
  ASSERT_EQ(RunProgram(Quote(dir + "uninstall.exe") + " /s", dir), kRemoved);
  ExpectRemoved(dir);

  // A new installation right away stays whole.
  InstallSample(dir);
  ExpectInstalled(dir);
}

TEST_F(UninstallerTest, AFileInUseIsReportedAndTheRestIsRemoved) {
  const std::string dir = DefaultInstallDir();
  const std::string copy = TempCopy(dir);
  {
    // Open without sharing, as a program reading it would hold it.
    qv::sample::UniqueFile inUse(::CreateFileA((dir + "doc\\说明.txt").c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(inUse);
    EXPECT_EQ(RunProgram(Quote(copy) + " /s"), kIncomplete);
    EXPECT_TRUE(FileExists(dir + "doc\\说明.txt"));
    EXPECT_FALSE(FileExists(dir + "QVStampPage.exe"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".esdf"));
  }
  // Once the file is free, a second run finishes the job.
  EXPECT_EQ(RunProgram(Quote(copy) + " /s"), kRemoved);
  ExpectRemoved(dir);
}

TEST_F(UninstallerTest, ReadOnlyFilesAndFoldersAreRemovedToo) {
  const std::string dir = DefaultInstallDir();
  ASSERT_TRUE(::SetFileAttributesA((dir + "doc\\说明.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(::SetFileAttributesA((dir + "res\\skins").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(RunProgram(Quote(TempCopy(dir)) + " /s"), kRemoved);
  ExpectRemoved(dir);
}

TEST_F(UninstallerTest, KeepsWhatOthersAddedBesideIt) {
  const std::string dir = DefaultInstallDir();
  const std::string sibling = ProgramFilesDir() + "QVStampReaderData\\";
  ASSERT_TRUE(MakeFolders(sibling));
  ASSERT_TRUE(WriteWholeFile(sibling + "keep.txt", "keep"));
  ASSERT_TRUE(WriteWholeFile(StartMenuFolder() + "\\Other.lnk", "other"));
  ASSERT_TRUE(SetRegString(HKEY_CLASSES_ROOT, ".esdf\\OpenWithProgids", "Other.Document", ""));

  EXPECT_EQ(RunProgram(Quote(TempCopy(dir)) + " /s"), kRemoved);

  EXPECT_FALSE(DirExists(dir));
  EXPECT_EQ(ReadWholeFile(sibling + "keep.txt"), "keep");
  EXPECT_TRUE(FileExists(StartMenuFolder() + "\\Other.lnk"));
  EXPECT_FALSE(FileExists(ViewerLink()));
  EXPECT_FALSE(FileExists(UninstallLink()));
  EXPECT_TRUE(RegString(HKEY_CLASSES_ROOT, ".esdf\\OpenWithProgids", "Other.Document"));
  EXPECT_FALSE(RegString(HKEY_CLASSES_ROOT, ".esdf", "Content Type"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".esdf\\shell"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon"));

  // Others' things go, for the tests after this one.
  DeleteTree(HKEY_CLASSES_ROOT, ".esdf");
  ::DeleteFileA((StartMenuFolder() + "\\Other.lnk").c_str());
  ::RemoveDirectoryA(StartMenuFolder().c_str());
}

// An uninstall entry that names a folder of another name is not trusted: that folder stays,
// and the installation in the program-files folder is removed.
TEST_F(UninstallerTest, NeverRemovesAFolderThatAForeignUninstallStringNames) {
  const std::string decoy = "C:\\Decoy\\";
  ASSERT_TRUE(MakeFolders(decoy));
  ASSERT_TRUE(WriteWholeFile(decoy + "keep.txt", "keep"));
  ASSERT_TRUE(::CopyFileA((DefaultInstallDir() + "uninstall.exe").c_str(), (decoy + "uninstall.exe").c_str(), FALSE));
  ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", decoy + "uninstall.exe"));

  EXPECT_EQ(RunProgram(Quote(TempCopy(DefaultInstallDir())) + " /s"), kRemoved);

  EXPECT_EQ(ReadWholeFile(decoy + "keep.txt"), "keep");
  EXPECT_TRUE(FileExists(decoy + "uninstall.exe"));
  ExpectRemoved(DefaultInstallDir());
}

TEST_F(UninstallerTest, AsksFirstAndNoLeavesEverything) {
  Child uninstaller = Child::Start(Quote(TempCopy(DefaultInstallDir())));
  HWND box = WaitForWindow(uninstaller.pid(), "#32770");
  ASSERT_NE(box, nullptr) << "no question was asked";
  EXPECT_EQ(WindowText(box), "提示");
  EXPECT_EQ(WindowText(::GetDlgItem(box, 0xFFFF)), "您确定要卸载Qelvo电子印章阅读器及其所有组件吗?");
  ASSERT_NE(::GetDlgItem(box, IDYES), nullptr);
  ::SendMessageA(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);

  EXPECT_EQ(uninstaller.Wait(30000), kDeclined);
  ExpectInstalled(DefaultInstallDir());

  EXPECT_EQ(RunProgram(Quote(TempCopy(DefaultInstallDir())) + " /s"), kRemoved);  // for the tests after this one
}

TEST_F(UninstallerTest, AsksFirstAndYesRemovesAndReportsDone) {
  Child uninstaller = Child::Start(Quote(TempCopy(DefaultInstallDir())));
  HWND question = WaitForWindow(uninstaller.pid(), "#32770");
  ASSERT_NE(question, nullptr) << "no question was asked";
  ::SendMessageA(::GetDlgItem(question, IDYES), BM_CLICK, 0, 0);

  HWND done = nullptr;
  for (int i = 0; i < 600 && (done == nullptr || done == question); ++i) {
    done = WaitForWindow(uninstaller.pid(), "#32770", 100);
    if (done == question && !::IsWindow(question)) done = nullptr;
  }
  ASSERT_NE(done, nullptr) << "no report at the end";
  EXPECT_EQ(WindowText(::GetDlgItem(done, 0xFFFF)), "卸载完成!");
  ::SendMessageA(::GetDlgItem(done, IDOK), BM_CLICK, 0, 0);

  EXPECT_EQ(uninstaller.Wait(30000), kRemoved);
  ExpectRemoved(DefaultInstallDir());
}

// An installation elsewhere, recorded in the 32-bit registry view as a 32-bit installer on
// 64-bit Windows leaves it: the entry leads the uninstaller there, and both views are cleaned.
TEST(UninstallerElsewhere, FollowsTheUninstallEntryAlsoInThe32BitView) {
  const std::string dir = "C:\\Other Place\\QVStampReader\\";
  InstallSample(dir);
  ExpectInstalled(dir);
  DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY);
  ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", dir + "uninstall.exe",
                           KEY_WOW64_32KEY));
  ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Qelvo电子印章阅读器", KEY_WOW64_32KEY));

  const std::string copy = TempDir() + "qv_uninstall.exe";
  ASSERT_TRUE(::CopyFileA((dir + "uninstall.exe").c_str(), copy.c_str(), FALSE));
  EXPECT_EQ(RunProgram(Quote(copy) + " /s"), kRemoved);
  ExpectRemoved(dir);
  EXPECT_TRUE(DirExists("C:\\Other Place")) << "only the installation folder goes";
}

}  // namespace
