// The program-files folder that the installation builds on: one that cannot be used, and
// the longest one whose texts still fit their buffers. The folder is moved for the test
// through the machine's "ProgramFilesDir" setting, which the folder query reads.
//
// A folder that cannot be used ends the installation with M3 ("目录访问失败!...", caption
// "错误") and exit code 1603, before anything is written below it.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "e2e_artifacts.h"
#include "e2e_support.h"

namespace qv::e2e {
namespace {

using artifacts::kSevenInstaller;
using artifacts::kSevenPayload;
using artifacts::kThreeInstaller;

const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFilesValue[] = "ProgramFilesDir";

class Folders : public ::testing::Test {
protected:
  void SetUp() override {
    UseUnmanagedWindows();
    m_original = RegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue);
  }
  void TearDown() override {
    if (m_original) SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue, *m_original);
  }

  static void MoveProgramFiles(const std::string& folder) {
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue, folder));
  }

  // "C:\" and a folder name that makes the whole text `length` bytes long, created.
  static std::string LongFolder(size_t length) {
    const std::string folder = "C:\\" + std::string(length - 3, 'p');
    EXPECT_TRUE(MakeDirectories(folder)) << length;
    return folder;
  }

  // Runs `exe` silently and expects M3, then exit code 1603.
  static void ExpectFolderRefused(const std::string& exe) {
    Installer installer(exe);
    ASSERT_TRUE(installer.Start("-s"));
    ASSERT_NE(installer.WaitForSetupWindow(), nullptr);
    const HWND box = installer.WaitForOwnedBox();
    ASSERT_NE(box, nullptr) << "no M3";
    EXPECT_EQ(qv::ui::MessageBoxText(box), "目录访问失败!请使用管理员权限运行本程序");
    EXPECT_EQ(qv::ui::MessageBoxCaption(box), "错误");
    EXPECT_TRUE(qv::ui::HasButton(box, IDOK));
    qv::ui::PressMessageBoxButton(box, IDOK);
    EXPECT_EQ(installer.WaitForExit(), 1603u);
  }

  static void ExpectCompletes(const std::string& exe) {
    Installer installer(exe);
    ASSERT_TRUE(installer.Start("-s"));
    EXPECT_EQ(installer.WaitForExit(), 0u);
  }

private:
  std::optional<std::string> m_original;
};

// A folder that does not exist, and one whose name does not fit the query's 260 bytes in
// GBK (130 Chinese characters: 263 bytes, though only 133 UTF-16 units).
TEST_F(Folders, UnusableProgramFilesFolder) {
  MoveProgramFiles("C:\\e2e missing folder");
  ExpectFolderRefused(WinePath(kThreeInstaller));
  EXPECT_FALSE(DirectoryExists("C:\\e2e missing folder"));

  std::wstring wide = L"C:\\";
  for (int i = 0; i < 130; ++i) wide += L'\x6D4B';  // 测
  ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
  std::string gbk(600, '\0');
  gbk.resize(WideCharToMultiByte(936, 0, wide.c_str(), -1, &gbk[0], 600, nullptr, nullptr) - 1);
  ASSERT_EQ(gbk.size(), 263u);
  MoveProgramFiles(gbk);
  ExpectFolderRefused(WinePath(kThreeInstaller));
  EXPECT_EQ(GetFileAttributesW((wide + L"\\QVStampReader").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The seven-file payload's last entry has a relative path of 114 bytes, so the installation
// directory may have 259 - 114 = 145 bytes: a program-files folder of 130.
TEST_F(Folders, LongestEntryNameLimitsTheFolder) {
  const std::string tooLong = LongFolder(131);
  MoveProgramFiles(tooLong);
  ExpectFolderRefused(WinePath(kSevenInstaller));
  EXPECT_FALSE(DirectoryExists(tooLong + "\\QVStampReader")) << "written to before the refusal";

  const std::string longest = LongFolder(130);
  MoveProgramFiles(longest);
  ExpectCompletes(WinePath(kSevenInstaller));
  ExpectPayloadInstalled(WinePath(kSevenPayload), longest + "\\QVStampReader\\");
}

// "/s \"" + installDir + "\\docrenderocx.ocx\"" must fit 264 bytes: an installation
// directory of at most 241 bytes, a program-files folder of 226.
TEST_F(Folders, RegistrationParametersLimitTheFolder) {
  const std::string tooLong = LongFolder(227);
  MoveProgramFiles(tooLong);
  ExpectFolderRefused(WinePath(kThreeInstaller));
  EXPECT_FALSE(DirectoryExists(tooLong + "\\QVStampReader")) << "written to before the refusal";

  const std::string longest = LongFolder(226);
  MoveProgramFiles(longest);
  ExpectCompletes(WinePath(kThreeInstaller));
  EXPECT_TRUE(FileExists(longest + "\\QVStampReader\\file3.txt"));
  EXPECT_TRUE(FileExists(longest + "\\QVStampReader\\qvsetup_bk.exe"));
}

}  // namespace
}  // namespace qv::e2e
