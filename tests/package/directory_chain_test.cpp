// MakeDirectoryChain on real folders below a temp folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "installer/package/extract.h"
#include "tests/package/package_fixtures.h"

namespace qv::package::test {
namespace {

namespace fs = std::filesystem;

class DirectoryChainTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::current_path(dir_.path()); }
  fs::path Cwd() const { return fs::canonical(fs::current_path()); }
  fs::path Under(const char* rel) const { return fs::canonical(dir_.path()) / fs::path(rel).make_preferred(); }

  CurrentDirGuard restore_;  // declared first: restores after the folder is gone
  TempDir dir_;
};

TEST_F(DirectoryChainTest, CreatesAndEntersEachFolderButNotTheFile) {
  struct Case {
    const char* path;
    const char* endsIn;  // relative to the temp folder
  };
  const Case cases[] = {
      {"bin\\data\\x.dat", "bin/data"},
      {"bin/data/x.dat", "bin/data"},
      {"bin\\", "bin"},
      {"readme.txt", ""},
      {"", ""},
      // Empty components are skipped: the chain never turns into a path from the root.
      {"\\top\\x.dat", "top"},
      {"a//b\\\\x.dat", "a/b"},
      {"mixed\\sep/x.dat", "mixed/sep"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    fs::current_path(dir_.path());
    EXPECT_TRUE(MakeDirectoryChain(c.path));
    EXPECT_EQ(Cwd(), fs::canonical(Under(c.endsIn)));
    EXPECT_FALSE(fs::exists(Cwd() / "x.dat"));
    EXPECT_FALSE(fs::exists(Under("readme.txt")));
  }
  EXPECT_FALSE(fs::exists("/top/x.dat"));
}

TEST_F(DirectoryChainTest, ExistingFoldersAreEnteredAgain) {
  ASSERT_TRUE(MakeDirectoryChain("bin\\data\\x.dat"));
  fs::current_path(dir_.path());
  EXPECT_TRUE(MakeDirectoryChain("bin\\data\\y.dat"));
  EXPECT_EQ(Cwd(), Under("bin/data"));
}

TEST_F(DirectoryChainTest, PlainFileInTheWayStopsAtOnce) {
  fs::create_directory(dir_.path() / "bin");
  WriteFile((dir_.path() / "bin" / "data").string(), BytesOf("a file, not a folder"));
  EXPECT_FALSE(MakeDirectoryChain("bin\\data\\more\\x.dat"));
  EXPECT_EQ(Cwd(), Under("bin"));
  EXPECT_FALSE(fs::exists(dir_.path() / "bin" / "more"));
}

}  // namespace
}  // namespace qv::package::test
