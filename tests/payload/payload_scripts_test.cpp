// The two registry scripts, imported with the prefix's own regedit as the installer does.
#include <gtest/gtest.h>

#include <string>

#include "payload_test_support.h"

namespace {

using namespace qv::payload_test;

constexpr char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
constexpr char kScriptsKey[] = "SOFTWARE\\QVStampSample\\Scripts";

std::optional<DWORD> Import(const char* script) {
  return RunProgram(Quote(WindowsDir() + "regedit.exe") + " /s " + Quote(StageDir() + script));
}

class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample");
    DeleteTree(HKEY_CLASSES_ROOT, ".esdf");
  }
};

TEST_F(ScriptTest, UninstallRegGivesTheEntryItsListingUnderTheChineseName) {
  ASSERT_EQ(Import("uninstall.reg"), 0u);

  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Qelvo电子印章阅读器");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "1.0.0");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "OstraQelvo");
  EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), 1u);
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kScriptsKey, "uninstall.reg"), "卸载信息");
  // The installer's own two values are its business, not the script's.
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), std::nullopt);
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), std::nullopt);

  // Exactly one entry of ours: no second key under a wrongly decoded name.
  qv::sample::UniqueKey root;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ | KEY_WOW64_64KEY, root.put()),
            ERROR_SUCCESS);
  int ours = 0;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof(name);
    if (::RegEnumKeyExA(root.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (std::string(name).find("Qelvo") != std::string::npos) {
      ++ours;
      EXPECT_EQ(std::string(name), "Qelvo电子印章阅读器") << Utf8(name);
    }
  }
  EXPECT_EQ(ours, 1);
}

TEST_F(ScriptTest, ShellRegDescribesTheDocumentTypeWithoutTakingOverItsCommand) {
  ASSERT_EQ(Import("shell.reg"), 0u);

  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".esdf", "Content Type"), "application/x-esdf");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".esdf\\shell\\open", nullptr), "用Qelvo电子印章阅读器打开");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kScriptsKey, "shell.reg"), "文件关联");
  // No class name on ".esdf": one would send the shell past the installer's
  // ".esdf\shell\open\command" to the class's own key.
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".esdf", nullptr), std::nullopt);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command"));
}

TEST(StagedTextFiles, AreGbkWithWindowsLineEnds) {
  const struct {
    const char* file;
    const char* gbkText;  // a line the file must hold, as GBK bytes
  } cases[] = {
      {"uninstall.reg", "REGEDIT4\r\n"},
      {"uninstall.reg", "\"DisplayName\"=\"Qelvo电子印章阅读器\"\r\n"},
      {"shell.reg", "@=\"用Qelvo电子印章阅读器打开\"\r\n"},
      {"doc\\说明.txt", "Qelvo电子印章阅读器 使用说明\r\n"},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> bytes = ReadWholeFile(StageDir() + c.file);
    ASSERT_TRUE(bytes) << Utf8(c.file);
    EXPECT_NE(bytes->find(c.gbkText), std::string::npos) << Utf8(c.file) << ": " << Utf8(c.gbkText);
    for (std::size_t at = bytes->find('\n'); at != std::string::npos; at = bytes->find('\n', at + 1)) {
      ASSERT_TRUE(at > 0 && (*bytes)[at - 1] == '\r') << Utf8(c.file) << ": bare line feed at " << at;
    }
  }
}

}  // namespace
