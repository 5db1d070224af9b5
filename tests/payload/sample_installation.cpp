#include "sample_installation.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "installer/system/program_launch.h"
#include "installer/system/registry_entries.h"
#include "installer/system/shortcuts.h"
#include "payload_test_support.h"

namespace qv::payload_test {
namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
constexpr char kSampleKey[] = "SOFTWARE\\QVStampSample";
const char* const kControls[] = {"docrenderocx", "ConvertSeal", "ReadKeyInfo", "SealViews"};

// Top-level files, nested data files and the outside installer: the staged payload's layout.
const char* const kPayloadFiles[] = {
    "QVStampPage.exe", "uninstall.exe",   "application.ico",  "docrenderocx.ocx",
    "ConvertSeal.ocx", "ReadKeyInfo.ocx", "SealViews.ocx",    "uninstall.reg",
    "shell.reg",       "doc\\说明.txt",   "res\\skins\\default\\theme.ini", "zudu\\ZuduSetup.exe",
    "zudu\\readme.txt"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The files that Windows will rename or delete at the next restart, as one text.
std::string PendingRenames() {
  sample::UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
    return std::string();
  }
  DWORD size = 0;
  if (::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::string();
  }
  std::vector<char> data(size + 2, '\0');
  ::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &size);
  std::string text(data.data(), size);
  std::replace(text.begin(), text.end(), '\0', '|');
  return text;
}

}  // namespace

std::string DefaultInstallDir() { return ProgramFilesDir() + "QVStampReader\\"; }
std::string DesktopLink() { return CommonDesktopDir() + "Qelvo电子印章阅读器.lnk"; }
std::string StartMenuFolder() { return CommonProgramsDir() + "OstraQelvo"; }
std::string ViewerLink() { return StartMenuFolder() + "\\Qelvo电子印章阅读器.lnk"; }
std::string UninstallLink() { return StartMenuFolder() + "\\卸载Qelvo电子印章.lnk"; }

void InstallSample(const std::string& installDir) {
  ASSERT_TRUE(CopyTree(StageDir(), installDir)) << Utf8(installDir);
  ASSERT_TRUE(::CopyFileA((StageDir() + "QVStampPage.exe").c_str(), (installDir + "qvsetup_bk.exe").c_str(), FALSE));

  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryA((installDir + "zudu").c_str()));
  qv::system::RegisterComponents(installDir.c_str());
  qv::system::WriteUninstallEntry(installDir.c_str());
  qv::system::RegisterFileAssociation(installDir.c_str());
  qv::system::CreateShortcuts(installDir.c_str());
  ::SetCurrentDirectoryA(previous);
}

void ExpectInstalled(const std::string& installDir) {
  for (const char* file : kPayloadFiles) EXPECT_TRUE(FileExists(installDir + file)) << Utf8(file);
  EXPECT_TRUE(FileExists(installDir + "qvsetup_bk.exe"));
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), installDir + "uninstall.exe");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), installDir + "application.ico");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Qelvo电子印章阅读器");
  EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), 1u);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon", nullptr), installDir + "QVStampPage.exe,0");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command", nullptr),
            installDir + "QVStampPage.exe \"%1\"");
  EXPECT_TRUE(RegString(HKEY_CLASSES_ROOT, ".esdf\\shell\\open", nullptr).has_value());
  EXPECT_TRUE(RegString(HKEY_CLASSES_ROOT, ".esdf", "Content Type").has_value());
  for (const char* control : kControls) {
    const std::optional<std::string> path =
        RegString(HKEY_LOCAL_MACHINE, std::string(kSampleKey) + "\\Controls\\" + control, "Path");
    ASSERT_TRUE(path) << control << " is not registered";
    EXPECT_NE(Lower(*path).find(Lower(std::string(control) + ".ocx")), std::string::npos) << *path;
  }
  EXPECT_TRUE(RegString(HKEY_LOCAL_MACHINE, std::string(kSampleKey) + "\\Scripts", "uninstall.reg"));
  EXPECT_TRUE(RegString(HKEY_LOCAL_MACHINE, std::string(kSampleKey) + "\\Scripts", "shell.reg"));
  for (const std::string& link : {DesktopLink(), ViewerLink(), UninstallLink()}) {
    EXPECT_TRUE(FileExists(link)) << Utf8(link);
  }
}

void ExpectRemoved(const std::string& installDir) {
  EXPECT_FALSE(DirExists(installDir)) << Utf8(installDir) << " is still there";
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, view)) << "view " << view;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSampleKey, view)) << "view " << view;
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".esdf"));
  for (const std::string& link : {DesktopLink(), ViewerLink(), UninstallLink()}) {
    EXPECT_FALSE(FileExists(link)) << Utf8(link);
  }
  EXPECT_FALSE(DirExists(StartMenuFolder()));
  // Nothing is left to happen to the installation folder at the next restart: a later
  // installation there must survive it.
  const std::string pending = Lower(PendingRenames());
  EXPECT_EQ(pending.find(Lower(installDir)), std::string::npos) << pending;
}

}  // namespace qv::payload_test
