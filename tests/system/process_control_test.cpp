// Process control: the text operations as one table, and the process walk against real child
// processes started from copies of sys_child.exe under the names the installer looks for.

#include "installer/system/process_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/system/system_test_support.h"

namespace qv::system {
namespace {

using test::ChildProcess;
using test::HoldHandshake;

struct TextCase {
  const char* label;
  const char* name;
  const char* path;
  bool lowercaseFirst;  // the process walk lower-cases the path before comparing
  int expected;
};

const TextCase kTextCases[] = {
    {"backslash", "iexplore.exe", "c:\\program files\\internet explorer\\iexplore.exe", false, 1},
    {"forward slash", "iexplore.exe", "c:/program files/ie/iexplore.exe", false, 1},
    {"last separator wins", "b.exe", "c:\\a.exe/b.exe", false, 1},
    {"suffix is not a match", "iexplore.exe", "c:\\myiexplore.exe", false, 0},
    {"capitals in the path, lower-cased", "iexplore.exe", "C:\\IE\\IEXPLORE.EXE", true, 1},
    {"capitals in the path, as is", "iexplore.exe", "C:\\IE\\IEXPLORE.EXE", false, 0},
    {"capitals in the name never match", "IEXPLORE.EXE", "C:\\IE\\IEXPLORE.EXE", true, 0},
    {"separator only at index 0", "x.exe", "\\x.exe", false, 0},
    {"separator only at index 0, empty name", "", "\\x.exe", false, 1},
    {"no separator", "iexplore.exe", "iexplore.exe", false, 0},
    {"no separator, empty name", "", "iexplore.exe", false, 1},
    {"trailing separator", "iexplore.exe", "c:\\iexplore.exe\\", false, 0},
    {"trailing separator, empty name", "", "c:\\dir\\", false, 1},
    {"name longer than path", "iexplore.exe", "c:\\ie", false, 0},
    {"empty path", "a", "", false, 0},
    {"GBK trail byte 0x41 is lower-cased", "\x81" "a.exe", "c:\\\x81" "A.EXE", true, 1},
    {"GBK lead bytes stay", "\xd6\xd0.exe", "c:\\\xd6\xd0.EXE", true, 1},
};

TEST(ProcessTextTest, FileNameMatchesAfterOptionalLowercasing) {
  for (const TextCase& c : kTextCases) {
    std::string path = c.path;
    if (c.lowercaseFirst) LowercaseAscii(&path[0]);
    EXPECT_EQ(FileNameMatches(c.name, path.c_str()), c.expected) << c.label;
  }
}

TEST(ProcessTextTest, LowercaseAsciiChangesExactlyTheBytesAToZ) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  std::string lowered = all;
  LowercaseAscii(&lowered[0]);
  for (int byte = 1; byte < 256; ++byte) {
    const unsigned char expected =
        byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + 0x20)
                                   : static_cast<unsigned char>(byte);
    EXPECT_EQ(static_cast<unsigned char>(lowered[byte - 1]), expected) << "byte " << byte;
  }
}

TEST(ProcessTextTest, LowercaseAsciiStopsAtTheTerminator) {
  char text[] = "AB\0CD";
  LowercaseAscii(text);
  EXPECT_EQ(std::string(text, 5), std::string("ab\0CD", 5));
}

// Copies of sys_child.exe running in "hold" mode, each in a folder of its own (the file
// system does not tell iexplore.exe and IEXPLORE.EXE apart within one folder).
class ProcessWalkTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = test::MakeScratchFolder("procs"); }
  void TearDown() override {
    children_.clear();
    test::RemoveTree(folder_);
  }

  // Starts a copy named imageName and waits until it runs (its module list is then complete).
  ChildProcess& Start(const std::string& imageName) {
    const std::string subfolder = folder_ + std::to_string(children_.size());
    CreateDirectoryA(subfolder.c_str(), nullptr);
    const std::string program = subfolder + "\\" + imageName;
    auto running = std::make_unique<Running>();
    EXPECT_TRUE(test::CopyChild(program)) << program;
    EXPECT_TRUE(running->process.Start(program, "hold " + running->handshake.name())) << program;
    EXPECT_TRUE(running->handshake.WaitReady(10000)) << program;
    children_.push_back(std::move(running));
    return children_.back()->process;
  }

  static bool Terminated(const ChildProcess& child) {
    return child.EndsWithin(5000) && child.ExitCode() == 0;
  }
  static bool StillRunning(const ChildProcess& child) { return !child.EndsWithin(200); }

 private:
  struct Running {
    HoldHandshake handshake;  // released after the process is gone (declared first)
    ChildProcess process;
  };
  std::string folder_;
  std::vector<std::unique_ptr<Running>> children_;
};

TEST_F(ProcessWalkTest, BrowserIsReportedOnlyWhileOneRuns) {
  Start("dorezizezadava.exe");
  Start("myiexplore.exe");
  EXPECT_EQ(IsBrowserRunning(), 0);
  ChildProcess& browser = Start("IEXPLORE.EXE");
  EXPECT_EQ(IsBrowserRunning(), 1) << "a browser image in capitals is matched";
  EXPECT_EQ(KillProcessesByName("iexplore.exe"), 1);
  EXPECT_TRUE(Terminated(browser));
  EXPECT_EQ(IsBrowserRunning(), 0);
}

TEST_F(ProcessWalkTest, KillEndsExactlyTheMatchingProcesses) {
  ChildProcess& first = Start("iexplore.exe");
  ChildProcess& second = Start("iexplore.exe");
  ChildProcess& capitals = Start("IEXPLORE.EXE");
  ChildProcess& service = Start("dorezizezadava.exe");
  ChildProcess& lookalike = Start("myiexplore.exe");
  ASSERT_EQ(IsBrowserRunning(), 1);

  EXPECT_EQ(KillProcessesByName("IEXPLORE.EXE"), 1);
  EXPECT_EQ(KillProcessesByName(""), 1);
  EXPECT_TRUE(StillRunning(first)) << "a name with capitals or an empty name ends nothing";
  EXPECT_TRUE(StillRunning(capitals));

  EXPECT_EQ(KillProcessesByName("iexplore.exe"), 1);
  EXPECT_TRUE(Terminated(first));
  EXPECT_TRUE(Terminated(second));
  EXPECT_TRUE(Terminated(capitals));
  EXPECT_TRUE(StillRunning(service));
  EXPECT_TRUE(StillRunning(lookalike));

  EXPECT_EQ(KillProcessesByName("dorezizezadava.exe"), 1);
  EXPECT_TRUE(Terminated(service));
  EXPECT_TRUE(StillRunning(lookalike));
}

}  // namespace
}  // namespace qv::system
