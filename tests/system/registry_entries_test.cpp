// Registry entries, read back from the test prefix's registry (a prefix of its own).

#include "installer/system/registry_entries.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "tests/system/system_test_support.h"

namespace qv::system {
namespace {

using test::CreateRegistryKey;
using test::ReadRegistryString;
using test::RegistryKeyExists;
using test::RegistryValueCount;

const std::string kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

std::string Read(HKEY root, const std::string& key, const char* name) {
  std::string text;
  return ReadRegistryString(root, key, name, text) ? text : "<missing>";
}

TEST(RegistryEntriesTest, EntriesHoldTheInstallDirectoryAndAReinstallOverwritesThem) {
  for (const std::string dir :
       {"C:\\Program Files\\QVStampReader\\", "D:\\其他 目录\\QVStampReader\\"}) {
    WriteUninstallEntry(dir.c_str());
    RegisterFileAssociation(dir.c_str());
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), dir + "uninstall.exe");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), dir + "application.ico");
    EXPECT_EQ(RegistryValueCount(HKEY_LOCAL_MACHINE, kUninstallKey), 2) << dir;
    EXPECT_EQ(Read(HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon", nullptr), dir + "QVStampPage.exe,0");
    EXPECT_EQ(Read(HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command", nullptr),
              dir + "QVStampPage.exe \"%1\"");
    EXPECT_EQ(RegistryValueCount(HKEY_CLASSES_ROOT, ".esdf"), 0) << "the .esdf key got a value";
  }
  // The key name is GBK text that the registry stores as these characters.
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                          L"Qelvo电子印章阅读器",
                          0, KEY_READ | KEY_WOW64_64KEY, &key),
            ERROR_SUCCESS);
  if (key != nullptr) RegCloseKey(key);
}

TEST(RegistryEntriesTest, AssociationDeletesTheUsersExplorerSettingsForEsdfOnly) {
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kFileExts + "\\.esdf\\OpenWithList"));
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kFileExts + "\\.esdf\\UserChoice\\Deeper"));
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kFileExts + "\\.esdfx"));
  RegisterFileAssociation("C:\\Program Files\\QVStampReader\\");
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kFileExts + "\\.esdf"));
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kFileExts + "\\.esdfx"));
}

class DeleteTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, base_ + "\\Sibling")); }
  void TearDown() override {
    // Undo any lock, then clear the test key with the system's own tree deletion.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, base_.c_str(), 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
      RegDeleteTreeA(key, nullptr);
      RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, base_.c_str());
  }
  bool Exists(const std::string& relative) const {
    return RegistryKeyExists(HKEY_CURRENT_USER, base_ + "\\" + relative);
  }

  const std::string base_ = "Software\\QVSystemTest";
};

TEST_F(DeleteTreeTest, NestedKeysAreAllDeleted) {
  const std::string longName(127, 'k');
  const std::string keys[] = {"Tree\\A\\B\\C", "Tree\\A\\D", "Tree\\E",
                              "Tree\\" + longName + "\\F"};
  for (const std::string& key : keys) {
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, base_ + "\\" + key)) << key;
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, (base_ + "\\Tree").c_str());
  EXPECT_FALSE(Exists("Tree"));
  EXPECT_TRUE(Exists("Sibling"));
}

TEST_F(DeleteTreeTest, MissingKeyChangesNothing) {
  DeleteRegistryTree(HKEY_CURRENT_USER, (base_ + "\\Missing").c_str());
  DeleteRegistryTree(HKEY_CURRENT_USER, (base_ + "\\Missing\\Deeper").c_str());
  EXPECT_TRUE(Exists("Sibling"));
}

TEST_F(DeleteTreeTest, EmptyOrNullSubKeyIsRefusedRatherThanTakenAsTheRootItself) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, base_.c_str(), 0, KEY_ALL_ACCESS, &opened),
            ERROR_SUCCESS);
  DeleteRegistryTree(opened, "");
  DeleteRegistryTree(opened, nullptr);
  RegCloseKey(opened);
  EXPECT_TRUE(Exists("Sibling"));
}

// A subkey that can't be opened (its security grants nothing) and still has a subkey of its
// own can't be deleted; the deletion must stop instead of finding it again at index 0 for ever.
TEST_F(DeleteTreeTest, UndeletableSubkeyEndsTheWalk) {
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, base_ + "\\Locked\\a-first\\deep"));
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, base_ + "\\Locked\\b-locked\\inner"));
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, base_ + "\\Locked\\c-last"));
  {
    PSECURITY_DESCRIPTOR grantNothing = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:", SDDL_REVISION_1,
                                                                     &grantNothing, nullptr));
    HKEY locked = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (base_ + "\\Locked\\b-locked").c_str(), 0,
                            WRITE_DAC, &locked),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, grantNothing), ERROR_SUCCESS);
    RegCloseKey(locked);
    LocalFree(grantNothing);
  }
  HKEY parent = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (base_ + "\\Locked").c_str(), 0, KEY_ALL_ACCESS,
                          &parent),
            ERROR_SUCCESS);
  HKEY probe = nullptr;
  const LONG opened = RegOpenKeyExA(parent, "b-locked", 0, KEY_ALL_ACCESS, &probe);
  if (opened == ERROR_SUCCESS) RegCloseKey(probe);
  const LONG deleted = RegDeleteKeyA(parent, "b-locked");
  RegCloseKey(parent);
  ASSERT_NE(opened, ERROR_SUCCESS) << "the lock does not hold";
  ASSERT_NE(deleted, ERROR_SUCCESS) << "the lock does not hold";

  const std::string locked = base_ + "\\Locked";
  EXPECT_TRUE(test::FinishesWithin(10000, [locked] {
    DeleteRegistryTree(HKEY_CURRENT_USER, locked.c_str());
  })) << "DeleteRegistryTree keeps finding the undeletable subkey";
  EXPECT_FALSE(Exists("Locked\\a-first"));
  EXPECT_TRUE(Exists("Locked\\c-last")) << "the walk went on past the undeletable subkey";
  EXPECT_TRUE(Exists("Locked"));
}

TEST_F(DeleteTreeTest, WorksBelowAnOpenedKey) {
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, base_ + "\\Tree\\A\\B"));
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, base_.c_str(), 0, KEY_ALL_ACCESS, &opened),
            ERROR_SUCCESS);
  DeleteRegistryTree(opened, "Tree");
  RegCloseKey(opened);
  EXPECT_FALSE(Exists("Tree"));
  EXPECT_TRUE(Exists("Sibling"));
}

}  // namespace
}  // namespace qv::system
