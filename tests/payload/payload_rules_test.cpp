// The text rules of the sample programs: which folder the uninstaller may remove, how it reads
// its switch, and which document the viewer was opened with.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "command_line.h"
#include "install_dir_rule.h"

namespace {

using qv::sample::DocumentPathFromCommandLine;
using qv::sample::HasSilentSwitch;
using qv::sample::InstallDirFromUninstallString;
using qv::sample::ParentFolder;

bool GbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// "嘰" in GBK: its second byte is a backslash.
#define TRAIL_5C "\x87\x5c"

struct DirCase {
  const char* value;
  std::optional<std::string> expected;
};

class UninstallStringRule : public ::testing::TestWithParam<DirCase> {};

TEST_P(UninstallStringRule, GivesTheFolderOnlyForAQVStampReaderFolder) {
  const DirCase& c = GetParam();
  EXPECT_EQ(InstallDirFromUninstallString(c.value, GbkLeadByte), c.expected) << "value: " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, UninstallStringRule,
    ::testing::Values(
        DirCase{"C:\\Program Files\\QVStampReader\\uninstall.exe", "C:\\Program Files\\QVStampReader\\"},
        DirCase{"\"C:\\Program Files\\QVStampReader\\uninstall.exe\"", "C:\\Program Files\\QVStampReader\\"},
        DirCase{"  C:\\Program Files\\QVStampReader\\uninstall.exe\t", "C:\\Program Files\\QVStampReader\\"},
        DirCase{"C:/Program Files/qvstampreader/uninstall.exe", "C:\\Program Files\\qvstampreader\\"},
        DirCase{"C:\\Program Files\\\\QVStampReader\\uninstall.exe", "C:\\Program Files\\QVStampReader\\"},
        DirCase{"C:\\QVStampReader\\uninstall.exe", "C:\\QVStampReader\\"},
        DirCase{"D:\\软件\\QVStampReader\\卸载.exe", "D:\\软件\\QVStampReader\\"},
        DirCase{"C:\\QVStampReader\\" TRAIL_5C ".exe", "C:\\QVStampReader\\"},
        DirCase{"\\\\server\\share\\QVStampReader\\uninstall.exe", "\\\\server\\share\\QVStampReader\\"}));

INSTANTIATE_TEST_SUITE_P(
    Refused, UninstallStringRule,
    ::testing::Values(
        DirCase{"", std::nullopt}, DirCase{"uninstall.exe", std::nullopt},
        DirCase{"QVStampReader\\uninstall.exe", std::nullopt},           // relative
        DirCase{"\\QVStampReader\\uninstall.exe", std::nullopt},         // no drive
        DirCase{"C:QVStampReader\\uninstall.exe", std::nullopt},         // drive-relative
        DirCase{"C:\\uninstall.exe", std::nullopt},                      // the drive root
        DirCase{"C:\\Windows\\uninstall.exe", std::nullopt},             // another folder
        DirCase{"C:\\Program Files\\QVStampReader", std::nullopt},       // names the folder itself
        DirCase{"C:\\Program Files\\QVStampReader\\", std::nullopt},     // no file
        DirCase{"C:\\Program Files\\QVStampReader\\..\\uninstall.exe", std::nullopt},
        DirCase{"C:\\Windows\\..\\QVStampReader\\uninstall.exe", std::nullopt},
        DirCase{"C:\\QVStampReader\\.\\uninstall.exe", std::nullopt},
        DirCase{"\"C:\\QVStampReader\\uninstall.exe", std::nullopt},     // open quote
        DirCase{"\"C:\\QVStampReader\\uninstall.exe\" /x", std::nullopt},
        DirCase{"C:\\Q*\\QVStampReader\\uninstall.exe", std::nullopt},
        DirCase{"\\\\?\\C:\\QVStampReader\\uninstall.exe", std::nullopt},
        DirCase{"C:\\QVStampReader\\uninstall.exe:stream", std::nullopt},
        DirCase{"\\\\server\\QVStampReader\\uninstall.exe", std::nullopt},  // a share, not a folder
        // The folder is "嘰QVStampReader": a byte-wise cut would see "QVStampReader".
        DirCase{"C:\\Apps\\" TRAIL_5C "QVStampReader\\uninstall.exe", std::nullopt}));

TEST(ParentFolderRule, CutsAtTheLastSeparatorOutsideDoubleByteCharacters) {
  const struct {
    const char* folder;
    const char* parent;
  } cases[] = {
      {"C:\\Program Files\\QVStampReader\\", "C:\\Program Files"},
      {"C:\\Program Files\\QVStampReader", "C:\\Program Files"},
      {"C:\\QVStampReader\\", "C:\\"},
      {"\\\\server\\share\\QVStampReader\\", "\\\\server\\share"},
      {"C:\\" TRAIL_5C "\\", "C:\\"},
      {"C:\\Apps\\" TRAIL_5C, "C:\\Apps"},
      {"C:\\A" TRAIL_5C "B", "C:\\"},  // a byte-wise cut would give "C:\\A" and a lone lead byte
      {"QVStampReader", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ParentFolder(c.folder, GbkLeadByte), c.parent) << c.folder;
}

TEST(SilentSwitch, IsOneOfTheArgumentsNotPartOfTheProgramPath) {
  const struct {
    const char* commandLine;
    bool silent;
  } cases[] = {
      {"\"C:\\Temp\\qv_uninstall.exe\" /s", true},
      {"uninstall.exe /S", true},
      {"  \"C:\\a b\\uninstall.exe\"   /s  ", true},
      {"uninstall.exe /x /s", true},
      {"uninstall.exe \"/s\"", true},
      {"uninstall.exe", false},
      {"\"C:\\dir /s\\uninstall.exe\"", false},
      {"uninstall.exe /silent", false},
      {"uninstall.exe -s", false},
  };
  for (const auto& c : cases) EXPECT_EQ(HasSilentSwitch(c.commandLine), c.silent) << c.commandLine;
}

TEST(ViewerCommandLine, TakesEverythingAfterTheProgramWithoutQuotes) {
  const char* const module = "C:\\Program Files\\QVStampReader\\QVStampPage.exe";
  const struct {
    const char* commandLine;
    const char* path;
  } cases[] = {
      {"\"C:\\QV\\QVStampPage.exe\" \"C:\\文档 目录\\样例.esdf\"", "C:\\文档 目录\\样例.esdf"},
      {"C:\\QV\\QVStampPage.exe \"D:\\x&y.esdf\"", "D:\\x&y.esdf"},
      {"QVStampPage.exe C:\\a b\\c.esdf ", "C:\\a b\\c.esdf"},
      {"\"C:\\Program Files\\QVStampReader\\QVStampPage.exe\"", ""},
      {"\"C:\\QV\\QVStampPage.exe\"   ", ""},
      {"QVStampPage.exe \"\"", ""},
      // The association's command: the program path unquoted, with a blank in it.
      {"C:\\Program Files\\QVStampReader\\QVStampPage.exe \"C:\\合同 1.esdf\"", "C:\\合同 1.esdf"},
      {"c:\\program files\\qvstampreader\\qvstamppage.exe \"C:\\a.esdf\"", "C:\\a.esdf"},
      {"C:\\Program Files\\QVStampReader\\QVStampPage \"C:\\a.esdf\"", "C:\\a.esdf"},
      {"C:\\Program Files\\QVStampReader\\QVStampPage.exe", ""},
      // Only the whole program path counts, not a longer name that starts with it.
      {"C:\\Program Files\\QVStampReader\\QVStampPage.exe2 x", "Files\\QVStampReader\\QVStampPage.exe2 x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DocumentPathFromCommandLine(c.commandLine, module), c.path) << c.commandLine;
  }
}

}  // namespace
