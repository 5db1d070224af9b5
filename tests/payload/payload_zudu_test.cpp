// ZuduSetup.exe records how it was started.
#include <gtest/gtest.h>

#include <string>

#include "installer/system/program_launch.h"
#include "payload_test_support.h"

namespace {

using namespace qv::payload_test;

std::string RecordPath() { return CommonAppDataDir() + "QVStampSample\\zudusetup.txt"; }

std::string WithoutBackslash(std::string folder) {
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

class ZuduSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { ::DeleteFileA(RecordPath().c_str()); }
};

TEST_F(ZuduSetupTest, RecordsItsCommandLineFolderAndModule) {
  const std::string folder = TempDir() + "组件 安装\\";
  ASSERT_TRUE(MakeFolders(folder));
  const std::string exe = StageDir() + "zudu\\ZuduSetup.exe";
  const std::string commandLine = Quote(exe) + " /sp- /silent /norestart";

  ASSERT_EQ(RunProgram(commandLine, folder), 0u);

  EXPECT_EQ(ReadWholeFile(RecordPath()), "CommandLine=" + commandLine + "\r\nCurrentDirectory=" +
                                             WithoutBackslash(folder) + "\r\nModule=" + exe + "\r\n");
}

TEST_F(ZuduSetupTest, ASecondRunReplacesTheRecord) {
  const std::string exe = StageDir() + "zudu\\ZuduSetup.exe";
  ASSERT_EQ(RunProgram(Quote(exe) + " /first-run-with-a-long-argument-list /sp- /silent /norestart", TempDir()), 0u);
  ASSERT_EQ(RunProgram(Quote(exe) + " /x", TempDir()), 0u);

  EXPECT_EQ(ReadWholeFile(RecordPath()), "CommandLine=" + Quote(exe) + " /x\r\nCurrentDirectory=" +
                                             WithoutBackslash(TempDir()) + "\r\nModule=" + exe + "\r\n");
}

// The installer starts it by its bare name through the shell, from the folder of the last
// extracted file; that folder is the staged zudu folder here.
TEST_F(ZuduSetupTest, IsFoundByItsBareNameFromTheCurrentFolder) {
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  const std::string folder = StageDir() + "zudu";
  ASSERT_TRUE(::SetCurrentDirectoryA(folder.c_str()));
  qv::system::RunAndWait("ZuduSetup.exe", "/sp- /silent /norestart");
  ::SetCurrentDirectoryA(previous);

  const std::optional<std::string> record = ReadWholeFile(RecordPath());
  ASSERT_TRUE(record) << "ZuduSetup.exe did not run";
  EXPECT_NE(record->find(" /sp- /silent /norestart\r\n"), std::string::npos) << *record;
  EXPECT_NE(record->find("\r\nCurrentDirectory=" + folder + "\r\n"), std::string::npos) << *record;
  EXPECT_NE(record->find("\r\nModule=" + folder + "\\ZuduSetup.exe\r\n"), std::string::npos) << *record;
}

}  // namespace
