// Program launching: waiting for children, the stop request, the previous uninstaller's temp
// copy and the seven registrations. Children are copies of sys_child.exe that append their
// command line to one log file, so the order and the exact parameter texts can be checked.
// Runs in a prefix of its own: it replaces regsvr32.exe and regedit.exe there by stand-ins.

#include "installer/system/program_launch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "installer/system/stop_request.h"
#include "tests/system/system_test_support.h"

namespace qv::system {
namespace {

using Lines = std::vector<std::string>;

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStopRequest(); }
  void TearDown() override {
    ClearStopRequest();
    test::RemoveTree(scratch_);
  }
  Lines Log() const { return test::ReadLines(log_); }

  const std::string scratch_ = test::MakeScratchFolder("launch");
  const std::string log_ = scratch_ + "log.txt";
  const std::string child_ = test::ChildProgramPath();

 private:
  test::ScopedEnvironmentVariable logVariable_{"QV_CHILD_LOG", log_.c_str()};
};

TEST_F(LaunchTest, RunAndWaitReturnsOnlyAfterTheChildEnded) {
  const std::string marker = scratch_ + "marker";
  RunAndWait(child_.c_str(), ("mark 300 \"" + marker + "\"").c_str());
  EXPECT_TRUE(test::PathExists(marker)) << "returned before the child had written its marker";
  EXPECT_EQ(Log(), Lines{"sys_child.exe|mark 300 \"" + marker + "\""});
}

TEST_F(LaunchTest, ProgramThatCannotStartReturnsAtOnceWithoutAnErrorBox) {
  // A box of the shell's own would block here until the time limit.
  EXPECT_TRUE(test::FinishesWithin(20000, [] {
    RunAndWait("C:\\qv-no-such-folder\\nothing.exe", "/s");
    RunAndWait("qv-no-such-program.exe", "");
  }));
  EXPECT_TRUE(Log().empty());
}

struct Launch {
  std::string program;
  std::string parameters;
};

DWORD WINAPI RunLaunch(void* argument) {
  const Launch* launch = static_cast<const Launch*>(argument);
  RunAndWait(launch->program.c_str(), launch->parameters.c_str());
  return 0;
}

TEST_F(LaunchTest, StopRequestEndsTheWaitWhileTheChildHangs) {
  test::HoldHandshake hold;  // lets the child end when the test is over
  const Launch launch{child_, "hold " + hold.name()};
  const HANDLE waiter = CreateThread(nullptr, 0, RunLaunch, const_cast<Launch*>(&launch), 0,
                                     nullptr);
  ASSERT_NE(waiter, nullptr);
  ASSERT_TRUE(hold.WaitReady(10000));
  EXPECT_EQ(WaitForSingleObject(waiter, 300), static_cast<DWORD>(WAIT_TIMEOUT))
      << "RunAndWait returned while its child was still running";

  RequestStop();
  const DWORD ended = WaitForSingleObject(waiter, 5000);
  EXPECT_EQ(ended, static_cast<DWORD>(WAIT_OBJECT_0)) << "the stop request did not end the wait";
  if (ended != WAIT_OBJECT_0) {
    hold.Release();  // the child ends, and so does the wait
    WaitForSingleObject(waiter, 10000);
  }
  CloseHandle(waiter);
  EXPECT_TRUE(StopRequested());

  const std::string marker = scratch_ + "after-stop";
  RunAndWait(child_.c_str(), ("mark 0 \"" + marker + "\"").c_str());
  EXPECT_FALSE(test::PathExists(marker)) << "a program was started after the stop request";
}

// The seven registrations, with regsvr32.exe and regedit.exe replaced in this prefix by
// stand-ins that Wine is told to load instead of its own programs.
class RegistrationTest : public LaunchTest {
 protected:
  static void SetUpTestSuite() {
    // Never change the system programs of a prefix that other tests share.
    ASSERT_NE(std::getenv("QV_FRESH_PREFIX"), nullptr) << "run this test in a fresh prefix";
    for (const char* program : {"regsvr32.exe", "regedit.exe"}) {
      char found[MAX_PATH] = {};
      ASSERT_NE(SearchPathA(nullptr, program, nullptr, MAX_PATH, found, nullptr), 0u) << program;
      ASSERT_EQ(_strnicmp(found, "C:\\windows\\", 11), 0) << found;
      ASSERT_TRUE(test::ReplaceWithChild(found)) << found;
      overrides_.push_back(std::make_unique<test::ScopedRegistryValue>(
          HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", program));
      ASSERT_TRUE(overrides_.back()->Set(REG_SZ, "native"));
    }
  }
  static void TearDownTestSuite() { overrides_.clear(); }

  void SetUp() override {
    LaunchTest::SetUp();
    // ZuduSetup.exe is started by its bare name from the current directory.
    ASSERT_TRUE(test::CopyChild(scratch_ + "ZuduSetup.exe"));
  }

  static Lines Expected(const std::string& dir, int firstLaunch) {
    const Lines all = {
        "regsvr32.exe|/s \"" + dir + "\\docrenderocx.ocx\"",
        "regsvr32.exe|/s \"" + dir + "\\ConvertSeal.ocx\"",
        "regsvr32.exe|/s \"" + dir + "\\ReadKeyInfo.ocx\"",
        "regsvr32.exe|/s \"" + dir + "\\SealViews.ocx\"",
        "regedit.exe|/s \"" + dir + "\\uninstall.reg\"",
        "regedit.exe|/s \"" + dir + "\\shell.reg\"",
        "ZuduSetup.exe|/sp- /silent /norestart",
    };
    return Lines(all.begin() + (firstLaunch - 1), all.end());
  }

  const test::ScopedCurrentDirectory inScratch_{scratch_};

 private:
  static std::vector<std::unique_ptr<test::ScopedRegistryValue>> overrides_;
};

std::vector<std::unique_ptr<test::ScopedRegistryValue>> RegistrationTest::overrides_;

TEST_F(RegistrationTest, SevenLaunchesInOrderWithTheInstallDirectoryUnchanged) {
  const std::string installDir = "C:\\Program Files\\QVStampReader\\";
  RegisterComponents(installDir.c_str());
  EXPECT_EQ(Log(), Expected(installDir, 1));
  EXPECT_EQ(test::CurrentDirectory() + "\\", scratch_) << "the current directory was changed";
}

TEST_F(RegistrationTest, ParameterTextThatDoesNotFitIsSkippedAlone) {
  // 242 characters: the first text would need 264 characters and 265 bytes, the second and
  // third exactly fill the 264-byte buffer with their terminator.
  const std::string installDir = "C:\\" + std::string(238, 'd') + "\\";
  ASSERT_EQ(installDir.size(), 242u);
  RegisterComponents(installDir.c_str());
  const Lines expected = Expected(installDir, 2);
  EXPECT_EQ(Log(), expected);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(expected[0].size() - std::string("regsvr32.exe|").size(), 263u);
}

// The previous installation's uninstaller and its temp copy.
class UninstallerTest : public LaunchTest {
 protected:
  void SetUp() override {
    LaunchTest::SetUp();
    test::RemoveTree(installDir_);
    // A full copy left by an earlier run: it would log a line if it were ever run.
    ASSERT_TRUE(test::CopyChild(copy_));
  }
  void TearDown() override {
    test::RemoveTree(installDir_);
    LaunchTest::TearDown();
  }
  void InstallStandIn() {
    CreateDirectoryA(installDir_.c_str(), nullptr);
    ASSERT_TRUE(test::CopyChild(installed_));
  }

  const std::string installDir_ = "C:\\Program Files\\QVStampReader\\";
  const std::string installed_ = installDir_ + "uninstall.exe";
  const std::string copy_ = test::TempFolder() + "qv_uninstall.exe";
};

TEST_F(UninstallerTest, FirstInstallationLeavesAnEmptyCopyAndRunsNothing) {
  RunPreviousUninstaller();
  EXPECT_EQ(test::FileSize(copy_), 0) << "the stale copy was not emptied";
  EXPECT_TRUE(Log().empty()) << "the stale copy was run";
}

TEST_F(UninstallerTest, PreviousUninstallerRunsFromTheCopyWithSlashSAndIsWaitedFor) {
  InstallStandIn();
  const test::ScopedEnvironmentVariable slowChild("QV_CHILD_DELAY_MS", "300");
  RunPreviousUninstaller();
  EXPECT_EQ(Log(), Lines{"qv_uninstall.exe|/s"});
  std::string original, copied;
  ASSERT_TRUE(test::ReadWholeFile(installed_, original));
  ASSERT_TRUE(test::ReadWholeFile(copy_, copied));
  EXPECT_TRUE(copied == original) << "the temp copy differs from the uninstaller";
}

TEST_F(UninstallerTest, NoSourceWhenTheProgramFilesQueryFailsOrThePathDoesNotFit) {
  InstallStandIn();  // must not be used either: the folder query no longer names it
  const std::string longFolder = "C:\\" + std::string(229, 'p');  // 232 characters
  const std::string longSource = longFolder + "\\QVStampReader\\uninstall.exe";
  ASSERT_EQ(longSource.size(), 260u);
  CreateDirectoryA(longFolder.c_str(), nullptr);
  CreateDirectoryA((longFolder + "\\QVStampReader").c_str(), nullptr);
  // Where a source path cut to 259 characters would point.
  const std::string cutSource = longSource.substr(0, 259);
  ASSERT_TRUE(test::CopyChild(cutSource)) << cutSource;
  // Where an empty folder text would point, with C:\ as the current directory.
  CreateDirectoryA("C:\\QVStampReader", nullptr);
  ASSERT_TRUE(test::CopyChild("C:\\QVStampReader\\uninstall.exe"));
  const test::ScopedCurrentDirectory onDriveRoot("C:\\");

  struct Case {
    const char* label;
    std::string programFiles;
  };
  for (const Case& c : {Case{"failed query", ""}, Case{"path too long", longFolder}}) {
    ASSERT_TRUE(test::CopyChild(copy_));
    {
      test::ScopedRegistryValue programFilesDir(
          HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
      ASSERT_TRUE(programFilesDir.Set(REG_SZ, c.programFiles));
      RunPreviousUninstaller();
    }
    EXPECT_EQ(test::FileSize(copy_), 0) << c.label;
    EXPECT_TRUE(Log().empty()) << c.label;
  }
  test::RemoveTree(longFolder);
  test::RemoveTree("C:\\QVStampReader");
}

TEST_F(UninstallerTest, FailedTempFolderQueryCopiesAndRunsNothing) {
  InstallStandIn();
  const test::ScopedCurrentDirectory onDriveRoot("C:\\");
  const std::string tooLong = "C:\\" + std::string(300, 't');
  {
    const test::ScopedEnvironmentVariable tmp("TMP", tooLong.c_str());
    const test::ScopedEnvironmentVariable temp("TEMP", tooLong.c_str());
    char probe[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, probe);
    ASSERT_TRUE(length == 0 || length >= MAX_PATH) << "the temp folder query still succeeds";
    RunPreviousUninstaller();
  }
  EXPECT_TRUE(Log().empty());
  EXPECT_FALSE(test::PathExists("C:\\qv_uninstall.exe"));
  EXPECT_GT(test::FileSize(copy_), 0) << "the copy in the real temp folder was touched";
}

}  // namespace
}  // namespace qv::system
