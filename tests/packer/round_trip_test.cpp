// Reading a package back with list, verify and unpack, through the installer's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "blob_names.h"
#include "fixture_payload.h"
#include "host_text.h"
#include "lzma_alone_writer.h"
#include "package_reader.h"
#include "packer_test_support.h"
#include "unique_file.h"

namespace qvpack_test {
namespace {

// The fixture packed once per test.
class RoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    WriteFixture(dir_ / "payload");
    RunResult r = RunQvpack({"pack", dir_ / "payload", blobs()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }
  fs::path blobs() const { return dir_ / "blobs"; }

  // Replaces the stream blob with one whose plain data has one byte changed at `at`.
  void CorruptStreamByte(std::size_t at) {
    const fs::path blob = blobs() / qvpack::kStreamBlobName;
    std::string stream = DecodeBlob(blob).bytes;
    ASSERT_LT(at, stream.size());
    stream[at] = static_cast<char>(stream[at] ^ 0x01);
    qvpack::UniqueFile out(qvpack::OpenFile(blob, "wb"));
    ASSERT_TRUE(out);
    qvpack::LzmaAloneWriter writer;
    ASSERT_TRUE(writer.Begin(out.get(), "stream", stream.size(), 6).ok());
    ASSERT_TRUE(writer.Write(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size()).ok());
    ASSERT_TRUE(writer.Finish().ok());
  }

  ScratchDir dir_;
};

TEST_F(RoundTrip, UnpackGivesTheSameTreeByteForByte) {
  RunResult r = RunQvpack({"unpack", blobs(), dir_ / "dest"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(TreeContents(dir_ / "dest"), TreeContents(dir_ / "payload"));
}

TEST_F(RoundTrip, VerifyPassesEveryEntry) {
  RunResult r = RunQvpack({"verify", blobs()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("6 entries, 0 failed"), std::string::npos) << r.out;
}

TEST_F(RoundTrip, ListShowsEveryEntryInCatalogueOrder) {
  RunResult r = RunQvpack({"list", blobs()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string expected;
  std::size_t offset = 0;
  for (const FixtureFile& f : FixtureFiles()) {
    std::string digest_hex;
    for (unsigned char c : Sm3(f.content)) {
      char two[3];
      std::snprintf(two, sizeof two, "%02x", c);
      digest_hex += two;
    }
    expected += qvpack::GbkToTerminal(f.gbk_name) + "\t" + std::to_string(f.content.size()) + "\t" +
                std::to_string(offset) + "\tscrambled\t" + digest_hex + "\n";
    offset += f.content.size();
  }
  std::string shown = r.out;
#ifdef _WIN32
  shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());  // text-mode stdout
#endif
  EXPECT_EQ(shown, expected);
#ifndef _WIN32
  EXPECT_NE(r.out.find(u8"\\文档\\说明.txt\t"), std::string::npos) << "names shown in UTF-8";
#endif
}

TEST_F(RoundTrip, VerifyAndUnpackNameTheEntryWhoseDataWasAltered) {
  // "\a.txt" follows "\B.txt" (22 bytes) in the stream.
  CorruptStreamByte(22 + 2);
  RunResult verify = RunQvpack({"verify", blobs()});
  EXPECT_EQ(verify.exit_code, 14);
  EXPECT_NE(verify.err.find("\\a.txt"), std::string::npos) << verify.err;
  EXPECT_EQ(verify.err.find("\\ab.txt"), std::string::npos) << verify.err;

  RunResult unpack = RunQvpack({"unpack", blobs(), dir_ / "dest"});
  EXPECT_EQ(unpack.exit_code, 14);
  EXPECT_NE(unpack.err.find("\\a.txt"), std::string::npos) << unpack.err;
  EXPECT_FALSE(fs::exists(dir_ / "dest" / "a.txt")) << "unverified data is not written";
  EXPECT_TRUE(fs::exists(dir_ / "dest" / "ab.txt")) << "the other entries are";
}

TEST_F(RoundTrip, MissingOrBrokenBlobsAreABadPackage) {
  EXPECT_EQ(RunQvpack({"list", dir_ / "payload"}).exit_code, 13);
  const fs::path index = blobs() / qvpack::kIndexBlobName;
  const std::string bytes = ReadFile(index);
  WriteFile(index, bytes.substr(0, bytes.size() / 2));
  RunResult r = RunQvpack({"verify", blobs()});
  EXPECT_EQ(r.exit_code, 13);
  EXPECT_NE(r.err.find(qvpack::kIndexBlobName), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qvpack_test
