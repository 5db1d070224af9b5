// Whole installations of the sample payload with the real installer: interactive, silent,
// and over an earlier installation.
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e_artifacts.h"
#include "e2e_support.h"

namespace qv::e2e {
namespace {

using artifacts::kSampleInstaller;
using artifacts::kSamplePayload;
using artifacts::kStandIn;

const char kEsdfUserKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.esdf";

class Installation : public ::testing::Test {
protected:
  void SetUp() override {
    UseUnmanagedWindows();
    // The user's own Explorer settings for ".esdf", which the installation deletes.
    ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, std::string(kEsdfUserKey) + "\\OpenWithList", "a",
                                  "notepad.exe"));
  }
};

// Ready, "安装", the note window while the earlier installation's uninstaller runs (a
// stand-in that waits for the test), the log newest first, progress 100, Finished, "完成".
TEST_F(Installation, Interactive) {
  const std::string installDir = InstallDir();
  const std::string record = TempFolder() + "e2e_uninstaller.txt";
  const std::string indexFile = TempFolder() + "setupdir.orxi";
  ASSERT_TRUE(CopyStandIn(WinePath(kStandIn), installDir + "uninstall.exe"));
  NamedEvent started("qv-e2e-uninstaller-started");
  NamedEvent release("qv-e2e-uninstaller-release");

  Installer installer(WinePath(kSampleInstaller));
  ASSERT_TRUE(installer.Start("", {{"QV_E2E_RECORD", record},
                                   {"QV_E2E_HOLD", "qv-e2e-uninstaller"},
                                   {"QV_E2E_PROBE", indexFile}}));
  const HWND window = installer.WaitForSetupWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(qv::ui::IsVisible(qv::ui::Control(window, kInstallButton)));
  EXPECT_EQ(installer.FindNoteWindow(), nullptr);

  qv::ui::ClickControl(window, kInstallButton);
  ASSERT_TRUE(started.Wait(kStepWaitMs)) << "the earlier installation's uninstaller did not run";

  // The note: its own window (no owner), on top, with the template's text.
  const HWND note = installer.FindNoteWindow();
  ASSERT_NE(note, nullptr) << "no note window while the earlier uninstaller runs";
  EXPECT_TRUE(qv::ui::IsVisible(note));
  EXPECT_EQ(GetWindow(note, GW_OWNER), nullptr);
  EXPECT_TRUE(qv::ui::ExStyle(note) & WS_EX_TOPMOST);
  EXPECT_EQ(WindowTextWithoutMessage(GetDlgItem(note, kNoteText)), kNoteTemplateText);
  EXPECT_FALSE(FileExists(indexFile));
  release.Set();

  ASSERT_TRUE(installer.WaitForFinished()) << qv::ui::GbkToUtf8(installer.LogText());
  EXPECT_FALSE(IsWindow(note));
  EXPECT_EQ(installer.FindNoteWindow(), nullptr);
  EXPECT_EQ(installer.LogText(), ExpectedLog(installDir, CatalogueNamesBelow(WinePath(kSamplePayload))));
  EXPECT_EQ(installer.ProgressPosition(), 100);

  // The uninstaller ran from its temp copy with "/s" and had ended before the package was
  // unpacked.
  std::string ran;
  ASSERT_TRUE(ReadWholeFile(record, ran));
  const std::string copy = TempFolder() + "qv_uninstall.exe";
  EXPECT_EQ(RecordValue(ran, "ProbeAtEnd"), "0") << "the package was unpacked before the uninstaller ended";
  const std::optional<std::string> commandLine = RecordValue(ran, "CommandLine");
  ASSERT_TRUE(commandLine);
  EXPECT_EQ(commandLine->substr(commandLine->size() - 3), " /s") << *commandLine;
  const std::optional<std::string> module = RecordValue(ran, "Module");
  ASSERT_TRUE(module);
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, module->c_str(), -1, copy.c_str(), -1), CSTR_EQUAL)
      << *module;

  qv::ui::ClickControl(window, kCancelButton);  // now "完成"
  EXPECT_EQ(installer.WaitForExit(), 0u);
  ExpectCompleteSampleInstallation(WinePath(kSamplePayload), installer.Exe());
}

// "-s": no click; the window closes by itself and the process ends with 0.
TEST_F(Installation, Silent) {
  Installer installer(WinePath(kSampleInstaller));
  ASSERT_TRUE(installer.Start("-s"));
  EXPECT_EQ(installer.WaitForExit(), 0u);
  ExpectCompleteSampleInstallation(WinePath(kSamplePayload), installer.Exe());
}

// A second installation runs the first one's uninstaller silently (it removes the whole
// earlier folder, a file of the user's included) and then installs everything again.
TEST_F(Installation, ReinstallOverEarlierInstallation) {
  {
    Installer first(WinePath(kSampleInstaller));
    ASSERT_TRUE(first.Start("-s"));
    ASSERT_EQ(first.WaitForExit(), 0u);
  }
  const std::string leftover = InstallDir() + "leftover.txt";
  ASSERT_TRUE(WriteWholeFile(leftover, "not part of the payload"));
  std::string earlierUninstaller;
  ASSERT_TRUE(ReadWholeFile(InstallDir() + "uninstall.exe", earlierUninstaller));

  Installer second(WinePath(kSampleInstaller));
  ASSERT_TRUE(second.Start("-s"));
  // An uninstaller that asked its question would block the installation here.
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_FALSE(FileExists(leftover)) << "the earlier installation was not removed";
  std::string copy;
  EXPECT_TRUE(ReadWholeFile(TempFolder() + "qv_uninstall.exe", copy));
  EXPECT_TRUE(copy == earlierUninstaller) << "the temp copy is not the earlier uninstall.exe";
  ExpectCompleteSampleInstallation(WinePath(kSamplePayload), second.Exe());
}

}  // namespace
}  // namespace qv::e2e
