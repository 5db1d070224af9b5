// QVStampPage.exe shows and records the document it was opened with; its window is driven
// from this process.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "installer/system/registry_entries.h"
#include "payload_test_support.h"
#include "viewer_ids.h"

namespace {

using namespace qv::payload_test;

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record_ = TempDir() + "viewer_record.txt";
    ::DeleteFileA(record_.c_str());
    ::SetEnvironmentVariableA(QV_VIEWER_RECORD_VAR, record_.c_str());
  }
  void TearDown() override { ::SetEnvironmentVariableA(QV_VIEWER_RECORD_VAR, nullptr); }

  static std::string Viewer() { return StageDir() + "QVStampPage.exe"; }

  // Waits for the viewer's window, checks what it shows, closes it; returns the exit code.
  static std::optional<DWORD> ExpectShownAndClose(Child& viewer, const std::string& label,
                                                  const std::string& path) {
    HWND window = WaitForWindow(viewer.pid(), QV_VIEWER_WINDOW_CLASS);
    EXPECT_NE(window, nullptr) << "no viewer window";
    if (window == nullptr) return std::nullopt;
    EXPECT_EQ(WindowText(window), "Qelvo电子印章阅读器");
    EXPECT_EQ(WindowText(::GetDlgItem(window, QV_VIEWER_LABEL)), label) << Utf8(WindowText(::GetDlgItem(window, QV_VIEWER_LABEL)));
    EXPECT_EQ(WindowText(::GetDlgItem(window, QV_VIEWER_PATH)), path) << Utf8(WindowText(::GetDlgItem(window, QV_VIEWER_PATH)));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    return viewer.Wait(30000);
  }

  std::string record_;
};

TEST_F(ViewerTest, ShowsAndRecordsAQuotedPathWithBlanksAndChineseNames) {
  const std::string document = "C:\\文档 目录\\样例 & 印章.esdf";
  Child viewer = Child::Start(Quote(Viewer()) + " " + Quote(document));
  ASSERT_TRUE(viewer.started());
  EXPECT_EQ(ExpectShownAndClose(viewer, "当前文档:", document), 0u);
  EXPECT_EQ(ReadWholeFile(record_), document);
}

TEST_F(ViewerTest, WithoutADocumentSaysSoAndRecordsAnEmptyPath) {
  Child viewer = Child::Start(Quote(Viewer()));
  ASSERT_TRUE(viewer.started());
  EXPECT_EQ(ExpectShownAndClose(viewer, "未打开文档", ""), 0u);
  EXPECT_EQ(ReadWholeFile(record_), "");
}

TEST_F(ViewerTest, ARecordThatCannotBeWrittenEndsWithCode3AfterShowingTheWindow) {
  ::SetEnvironmentVariableA(QV_VIEWER_RECORD_VAR, (TempDir() + "no such folder\\record.txt").c_str());
  Child viewer = Child::Start(Quote(Viewer()) + " " + Quote("C:\\a.esdf"));
  ASSERT_TRUE(viewer.started());
  EXPECT_EQ(ExpectShownAndClose(viewer, "当前文档:", "C:\\a.esdf"), 3u);
}

TEST_F(ViewerTest, CarriesTheIconThatTheAssociationNames) {
  // "QVStampPage.exe,0": the first icon of the program.
  EXPECT_GE(reinterpret_cast<INT_PTR>(::ExtractIconA(nullptr, Viewer().c_str(), static_cast<UINT>(-1))), 1);
  HICON icon = ::ExtractIconA(nullptr, Viewer().c_str(), 0);
  EXPECT_GT(reinterpret_cast<INT_PTR>(icon), 1);
  if (reinterpret_cast<INT_PTR>(icon) > 1) ::DestroyIcon(icon);
}

// The association the installer writes, used as the shell uses it: %1 replaced by the
// document, the command started as it stands. The viewer lies under "Program Files", so the
// unquoted program path of the command holds a blank.
TEST_F(ViewerTest, OpensADocumentWithTheInstallersOpenCommand) {
  const std::string installDir = ProgramFilesDir() + "QVStampReader\\";
  ASSERT_TRUE(MakeFolders(installDir));
  ASSERT_TRUE(::CopyFileA(Viewer().c_str(), (installDir + "QVStampPage.exe").c_str(), FALSE));
  qv::system::RegisterFileAssociation(installDir.c_str());
  const std::optional<std::string> command = RegString(HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command", nullptr);
  ASSERT_TRUE(command);
  const std::size_t placeholder = command->find("%1");
  ASSERT_NE(placeholder, std::string::npos) << *command;
  const std::string document = TempDir() + "印章 文档\\合同 2024.esdf";
  const std::string commandLine = command->substr(0, placeholder) + document + command->substr(placeholder + 2);

  Child viewer = Child::Start(commandLine);
  ASSERT_TRUE(viewer.started()) << Utf8(commandLine);
  EXPECT_EQ(ExpectShownAndClose(viewer, "当前文档:", document), 0u);
  EXPECT_EQ(ReadWholeFile(record_), document);
  DeleteTree(HKEY_CLASSES_ROOT, ".esdf");
}

}  // namespace
