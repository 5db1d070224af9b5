// Payloads the tool must refuse: the exit code of each, a message naming the file, and no
// blob (complete or partial) left in the output folder.
#include <gtest/gtest.h>

#include <functional>

#include "blob_names.h"
#include "packer_test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qvpack_test {
namespace {

struct RefusalCase {
  const char* label;
  std::function<void(const fs::path& payload)> make;  // fills the payload folder
  int exit_code;
  std::string shown;  // a part of the message: the file's name as the tool shows it
  fs::path payload_rel = "payload";  // the folder given to the tool, below the scratch folder
};

void ExpectNoBlobs(const fs::path& out) {
  if (!fs::exists(out)) return;
  for (const auto& entry : fs::directory_iterator(out)) ADD_FAILURE() << "left behind: " << entry.path().u8string();
}

void RunCase(const RefusalCase& c) {
  SCOPED_TRACE(c.label);
  ScratchDir dir;
  fs::create_directories(dir / "payload");
  WriteFile(dir / "payload" / "good.txt", "a file that is fine");
  c.make(dir / "payload");
  RunResult r = RunQvpack({"pack", dir / c.payload_rel, dir / "out"});
  EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
  EXPECT_NE(r.err.find(c.shown), std::string::npos) << "message: " << r.err;
  ExpectNoBlobs(dir / "out");
}

// A name of exactly `bytes` bytes in GBK (leading backslash included) whose UTF-8 form is
// longer: a 200-letter folder, then Chinese characters (2 bytes in GBK, 3 in UTF-8).
fs::path GbkLengthName(std::size_t bytes) {
  std::string name = std::string(200, 'd') + "/";
  std::size_t used = 1 + 201;
  std::string file;
  while (used + 2 + 4 <= bytes) {
    file += u8"说";
    used += 2;
  }
  file += std::string(bytes - used - 4, 'x') + ".txt";
  return U8(name + file);
}

TEST(Refusal, EachFaultHasItsExitCodeAndLeavesNoBlob) {
  const std::vector<RefusalCase> cases = {
      {"file of 0 bytes", [](const fs::path& p) { WriteFile(p / "sub" / "empty.dat", ""); }, 5, "empty.dat"},
      {"name of 260 bytes in GBK",
       [](const fs::path& p) { WriteFile(p / GbkLengthName(260), "x"); }, 4, "ddddd"},
      {"name without GBK form", [](const fs::path& p) { WriteFile(p / U8(u8"smile😀.txt"), "x"); }, 9, "smile"},
      {"GBK character holding a backslash byte",
       [](const fs::path& p) { WriteFile(p / U8(u8"trail乗.txt"), "x"); }, 10, "trail"},
      {"payload folder missing", [](const fs::path&) {}, 3, "missing", "missing"},
      {"payload folder is a file", [](const fs::path& p) { WriteFile(p / "plain", "x"); }, 3, "plain",
       fs::path("payload") / "plain"},
  };
  for (const RefusalCase& c : cases) RunCase(c);
}

#ifndef _WIN32
// Names and files that a Windows file system cannot even hold, and sparse giants.
TEST(Refusal, FaultsOnlyAPosixPayloadCanHold) {
  const std::vector<RefusalCase> cases = {
      {"backslash inside a name", [](const fs::path& p) { WriteFile(p / "back\\slash.txt", "x"); }, 10,
       "slash.txt"},
      {"name not valid UTF-8", [](const fs::path& p) { WriteFile(p / "bad\xff.txt", "x"); }, 9, "bad"},
      {"reserved character", [](const fs::path& p) { WriteFile(p / "what?.txt", "x"); }, 10, "what?.txt"},
      {"device name", [](const fs::path& p) { WriteFile(p / "bin" / "con.txt", "x"); }, 10, "con.txt"},
      {"trailing dot", [](const fs::path& p) { WriteFile(p / "dots." / "a.txt", "x"); }, 10, "dots."},
      {"case clash between files",
       [](const fs::path& p) {
         WriteFile(p / "Readme.txt", "1");
         WriteFile(p / "README.TXT", "2");
       },
       11, "README.TXT"},
      {"case clash between a file and a folder",
       [](const fs::path& p) {
         WriteFile(p / "Bin", "1");
         WriteFile(p / "bin" / "x.dll", "2");
       },
       11, "\\Bin"},
      {"dangling link", [](const fs::path& p) { fs::create_symlink(p / "nowhere", p / "link"); }, 3, "link"},
      {"fifo", [](const fs::path& p) { ASSERT_EQ(mkfifo((p / "pipe").c_str(), 0600), 0); }, 3, "pipe"},
      {"file of 2 GiB",
       [](const fs::path& p) {
         WriteFile(p / "huge.bin", "");
         fs::resize_file(p / "huge.bin", 0x80000000ull);
       },
       6, "huge.bin"},
      {"stream past 2^31-1 bytes",
       [](const fs::path& p) {
         for (const char* name : {"big1.bin", "big2.bin"}) {
           WriteFile(p / name, "");
           fs::resize_file(p / name, 0x40000000ull);
         }
       },
       7, "big2.bin"},
  };
  for (const RefusalCase& c : cases) RunCase(c);
}
#endif

TEST(Refusal, OutputFolderInsideThePayload) {
  // The blobs would be packed into the next package made from the same folder.
  ScratchDir dir;
  WriteFile(dir / "payload" / "good.txt", "x");
  for (const fs::path& out : {dir / "payload" / "out", dir / "payload" / "." / "out" / "", dir / "payload"}) {
    RunResult r = RunQvpack({"pack", dir / "payload" / "", out});
    EXPECT_EQ(r.exit_code, 2) << out.u8string();
    EXPECT_NE(r.err.find("inside the payload"), std::string::npos) << r.err;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "payload"), fs::directory_iterator()), 1);
}

TEST(Refusal, NameOf259BytesInGbkIsAccepted) {
  ScratchDir dir;
  WriteFile(dir / "payload" / GbkLengthName(259), "longest name");
  RunResult r = RunQvpack({"pack", dir / "payload", dir / "out"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "out" / qvpack::kIndexBlobName));
}

TEST(Refusal, SkipEmptyLeavesOutZeroByteFilesWithAWarning) {
  ScratchDir dir;
  WriteFile(dir / "payload" / "good.txt", "a file that is fine");
  WriteFile(dir / "payload" / "sub" / "empty.dat", "");
  RunResult r = RunQvpack({"pack", "--skip-empty", dir / "payload", dir / "out"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("empty.dat"), std::string::npos) << r.err;
  RunResult list = RunQvpack({"list", dir / "out"});
  EXPECT_NE(list.out.find("\\good.txt\t"), std::string::npos) << list.out;
  EXPECT_EQ(list.out.find("empty.dat"), std::string::npos) << list.out;
}

TEST(Refusal, OutputFolderThatCannotBeCreated) {
  ScratchDir dir;
  WriteFile(dir / "payload" / "good.txt", "x");
  WriteFile(dir / "taken", "a file where the output folder should be");
  RunResult r = RunQvpack({"pack", dir / "payload", dir / "taken"});
  EXPECT_EQ(r.exit_code, 12);
  EXPECT_NE(r.err.find("taken"), std::string::npos) << r.err;
}

TEST(Refusal, FailedPackKeepsTheBlobsAlreadyThere) {
  ScratchDir dir;
  WriteFile(dir / "payload" / "good.txt", "x");
  ASSERT_EQ(RunQvpack({"pack", dir / "payload", dir / "out"}).exit_code, 0);
  const std::string index = ReadFile(dir / "out" / qvpack::kIndexBlobName);
  const std::string stream = ReadFile(dir / "out" / qvpack::kStreamBlobName);
  WriteFile(dir / "payload" / "empty.dat", "");
  EXPECT_EQ(RunQvpack({"pack", dir / "payload", dir / "out"}).exit_code, 5);
  EXPECT_EQ(ReadFile(dir / "out" / qvpack::kIndexBlobName), index);
  EXPECT_EQ(ReadFile(dir / "out" / qvpack::kStreamBlobName), stream);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 2);
}

TEST(CommandLine, UsageErrorsAndHelp) {
  ScratchDir dir;
  EXPECT_EQ(RunQvpack({}).exit_code, 2);
  EXPECT_EQ(RunQvpack({"frobnicate", dir.path()}).exit_code, 2);
  EXPECT_EQ(RunQvpack({"pack", dir.path()}).exit_code, 2);
  EXPECT_EQ(RunQvpack({"list", "--plain", dir.path()}).exit_code, 2);
  EXPECT_EQ(RunQvpack({"pack", "--preset", "10", dir.path(), dir / "out"}).exit_code, 2);
  EXPECT_EQ(RunQvpack({"pack", "--bogus", dir.path(), dir / "out"}).exit_code, 2);
  RunResult help = RunQvpack({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  for (const char* code : {"   0  ", "   3  ", "   9  ", "  14  "}) {
    EXPECT_NE(help.out.find(code), std::string::npos) << "exit code table lacks" << code;
  }
}

}  // namespace
}  // namespace qvpack_test
