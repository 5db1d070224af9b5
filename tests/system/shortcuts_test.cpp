// Shell links: the three links in the prefix's common folders, the path bounds and failed folder
// queries. The targets and working directories of the links in the real common folders are
// checked from the host with lnkinfo (check_shortcuts.sh), after this test.
// The shell notifications are not observed: Wine does not deliver events flagged
// SHCNE_INTERRUPT to registered windows. Only their effect on the caller's text is checked.

#include "installer/system/shortcuts.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/system/system_test_support.h"

namespace qv::system {
namespace {

const char kViewerLink[] = "Qelvo电子印章阅读器.lnk";
const char kUninstallLink[] = "卸载Qelvo电子印章.lnk";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

int FileCount(const std::string& folder) {
  int count = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

class ShortcutsTest : public ::testing::Test {
 protected:
  // Points the common desktop and programs folders elsewhere for one test; both are restored.
  void Redirect(const std::string& desktop, const std::string& programs) {
    ASSERT_TRUE(desktop_.Set(REG_EXPAND_SZ, desktop));
    ASSERT_TRUE(programs_.Set(REG_EXPAND_SZ, programs));
  }
  static std::string MakeFolder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }

  const std::string scratch_ = test::MakeScratchFolder("links");
  const test::ScopedCurrentDirectory restoreDirectory_{test::CurrentDirectory()};

 private:
  test::ScopedRegistryValue desktop_{HKEY_LOCAL_MACHINE, kUserShellFolders, "Common Desktop"};
  test::ScopedRegistryValue programs_{HKEY_LOCAL_MACHINE, kUserShellFolders, "Common Programs"};
};

// The real common folders of the prefix. check_shortcuts.sh reads these links afterwards.
TEST_F(ShortcutsTest, ThreeLinksInTheCommonFoldersAndAnExistingFolderReused) {
  const std::string desktop = Folder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const std::string programs = Folder(CSIDL_COMMON_PROGRAMS);
  ASSERT_FALSE(desktop.empty());
  ASSERT_FALSE(programs.empty());
  const std::string startMenu = programs + "\\OstraQelvo\\";
  test::RemoveTree(startMenu);

  CreateShortcuts("C:\\Program Files\\QVStampReader\\");
  EXPECT_TRUE(test::PathExists(desktop + "\\" + kViewerLink));
  EXPECT_TRUE(test::PathExists(startMenu + kViewerLink));
  EXPECT_TRUE(test::PathExists(startMenu + kUninstallLink));
  EXPECT_EQ(test::CurrentDirectory(), programs);

  // Again, with the start-menu folder already there and holding a file of its own.
  ASSERT_TRUE(DeleteFileA((startMenu + kUninstallLink).c_str()));
  ASSERT_TRUE(test::WriteWholeFile(startMenu + "keep.txt", "keep"));
  CreateShortcuts("C:\\Program Files\\QVStampReader\\");
  EXPECT_TRUE(test::PathExists(startMenu + kUninstallLink));
  EXPECT_TRUE(test::PathExists(startMenu + "keep.txt"));
  DeleteFileA((startMenu + "keep.txt").c_str());
}

// Folder texts that end in a backslash get no second one: each link path below is exactly
// 259 bytes, and one more byte would not fit the 260-byte buffer.
TEST_F(ShortcutsTest, FolderTextsEndingInABackslashAndThePathBound) {
  const std::string root = MakeFolder("C:\\QVEdge");
  struct Case {
    const char* label;
    std::size_t desktopLength;   // with the trailing backslash
    std::size_t programsLength;  // with the trailing backslash
    bool desktopLink, viewerInStartMenu, uninstallInStartMenu;
  };
  const Case cases[] = {
      // 236 + 23 = 259; 225 + 11 + 23 = 259; 225 + 11 + 21 = 257
      {"exact fit", 236, 225, true, true, true},
      // one byte more: the viewer links would need 260 bytes; the uninstall link 258 still fits
      {"one byte too long", 237, 226, false, false, true},
  };
  for (const Case& c : cases) {
    const std::string desktop = MakeFolder(root + "\\d" + std::string(c.desktopLength - 12, 'd')) + "\\";
    const std::string programs = MakeFolder(root + "\\p" + std::string(c.programsLength - 12, 'p')) + "\\";
    ASSERT_EQ(desktop.size(), c.desktopLength);
    ASSERT_EQ(programs.size(), c.programsLength);
    Redirect(desktop, programs);
    ASSERT_EQ(Folder(CSIDL_COMMON_DESKTOPDIRECTORY), desktop) << "the redirection did not hold";

    CreateShortcuts("C:\\Program Files\\QVStampReader\\");
    EXPECT_EQ(test::PathExists(desktop + kViewerLink), c.desktopLink) << c.label;
    EXPECT_EQ(FileCount(desktop), c.desktopLink ? 1 : 0) << c.label;
    const std::string startMenu = programs + "OstraQelvo\\";
    EXPECT_EQ(test::PathExists(startMenu + kViewerLink), c.viewerInStartMenu) << c.label;
    EXPECT_EQ(test::PathExists(startMenu + kUninstallLink), c.uninstallInStartMenu) << c.label;
    EXPECT_EQ(FileCount(startMenu), (c.viewerInStartMenu ? 1 : 0) + (c.uninstallInStartMenu ? 1 : 0))
        << c.label;
  }
  SetCurrentDirectoryA("C:\\");
  test::RemoveTree(root);
}

// 245 characters: "\\QVStampPage.exe" makes the target 261 characters, "\\uninstall.exe" 259.
TEST_F(ShortcutsTest, TargetThatDoesNotFitSkipsOnlyItsLinks) {
  const std::string desktop = MakeFolder(scratch_ + "desktop");
  const std::string programs = MakeFolder(scratch_ + "programs");
  Redirect(desktop, programs);
  const std::string installDir = "C:\\" + std::string(241, 'i') + "\\";
  ASSERT_EQ(installDir.size(), 245u);
  CreateShortcuts(installDir.c_str());
  EXPECT_EQ(FileCount(desktop), 0);
  EXPECT_FALSE(test::PathExists(programs + "\\OstraQelvo\\" + kViewerLink));
  EXPECT_TRUE(test::PathExists(programs + "\\OstraQelvo\\" + kUninstallLink));
}

// A failed folder query builds no path from an empty text: with C:\ as the current directory,
// "\Qelvo电子印章阅读器.lnk" or "OstraQelvo" would land at the drive's root.
TEST_F(ShortcutsTest, FailedFolderQuerySkipsOnlyThatFolder) {
  const std::string desktop = MakeFolder(scratch_ + "desktop");
  const std::string programs = MakeFolder(scratch_ + "programs");
  struct Case {
    const char* label;
    std::string desktopSetting, programsSetting;
    bool desktopLink, startMenuLinks;
  };
  const Case cases[] = {
      {"desktop query fails", "", programs, false, true},
      {"programs query fails", desktop, "", true, false},
  };
  for (const Case& c : cases) {
    test::RemoveTree(desktop + "\\OstraQelvo");
    DeleteFileA((desktop + "\\" + kViewerLink).c_str());
    test::RemoveTree(programs + "\\OstraQelvo");
    Redirect(c.desktopSetting, c.programsSetting);
    SetCurrentDirectoryA("C:\\");
    CreateShortcuts("C:\\Program Files\\QVStampReader\\");
    EXPECT_FALSE(test::PathExists(std::string("C:\\") + kViewerLink)) << c.label;
    EXPECT_FALSE(test::PathExists("C:\\OstraQelvo")) << c.label;
    EXPECT_EQ(test::PathExists(desktop + "\\" + kViewerLink), c.desktopLink) << c.label;
    EXPECT_EQ(test::PathExists(programs + "\\OstraQelvo\\" + kUninstallLink), c.startMenuLinks)
        << c.label;
  }
  SetCurrentDirectoryA("C:\\");
}

TEST_F(ShortcutsTest, CreateShellLinkRefusesPathsThatDoNotFit) {
  const std::string target = "C:\\Program Files\\QVStampReader\\\\QVStampPage.exe";
  const std::string fitting = scratch_ + "fits.lnk";
  EXPECT_EQ(CreateShellLink(fitting.c_str(), target.c_str()), 1);
  EXPECT_TRUE(test::PathExists(fitting));

  const std::string longLink = scratch_ + std::string(300, 'l') + ".lnk";
  EXPECT_EQ(CreateShellLink(longLink.c_str(), target.c_str()), 0);
  const std::string longTarget = "C:\\" + std::string(300, 't') + "\\QVStampPage.exe";
  const std::string second = scratch_ + "second.lnk";
  EXPECT_EQ(CreateShellLink(second.c_str(), longTarget.c_str()), 0);
  EXPECT_FALSE(test::PathExists(second));
  EXPECT_EQ(FileCount(scratch_), 1);
}

TEST(NotifyShellOfNewItemTest, CutsTheCallersTextAtItsLastSeparator) {
  struct Case {
    std::string before, after;
  };
  const Case cases[] = {
      {"C:\\a\\b.lnk", "C:\\a"},
      {"C:\\a/b.lnk", "C:\\a"},
      {"C:\\dir\\", "C:\\dir"},
      {"\\only-at-index-0", "\\only-at-index-0"},
      {"no-separator", "no-separator"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.before.begin(), c.before.end());
    buffer.push_back('\0');
    buffer.push_back('Z');  // a byte past the terminator that must stay untouched
    NotifyShellOfNewItem(buffer.data());
    EXPECT_EQ(std::string(buffer.data()), c.after) << c.before;
    EXPECT_EQ(buffer.back(), 'Z') << c.before;
  }
}

}  // namespace
}  // namespace qv::system
