// Blob decoding: results, the printed lines, the output file in every failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "installer/package/blob_unpack.h"
#include "tests/package/package_fixtures.h"

namespace qv::package::test {
namespace {

struct Outcome {
  bool result;
  std::string printed;
};

Outcome Unpack(const Bytes& blob, const std::string& out, std::size_t size) {
  ::testing::internal::CaptureStdout();
  const bool result = UnpackResourceToFile(blob.data(), size, out.c_str());
  return {result, ::testing::internal::GetCapturedStdout()};
}
Outcome Unpack(const Bytes& blob, const std::string& out) { return Unpack(blob, out, blob.size()); }

class BlobUnpackTest : public ::testing::Test {
 protected:
  TempDir dir_;
  const Bytes data_ = SampleData(200000, 7);
  const Bytes blob_ = EncodeBlob(data_);
};

TEST_F(BlobUnpackTest, DecodesTheWholeDeclaredSize) {
  const std::string out = dir_.File("setupdir.orxs");
  WriteFile(out, BytesOf("previous content that must be replaced"));
  const Outcome o = Unpack(blob_, out);
  EXPECT_TRUE(o.result);
  EXPECT_EQ(o.printed, "");
  EXPECT_EQ(ReadFile(out), data_);
}

TEST_F(BlobUnpackTest, StopsWhenTheBufferIsFullWithoutLookingFurther) {
  Bytes blob = blob_;
  SetDeclaredSize(blob, 1000);
  const std::string out = dir_.File("part.bin");
  ASSERT_TRUE(Unpack(blob, out).result);
  EXPECT_EQ(ReadFile(out), Bytes(data_.begin(), data_.begin() + 1000));
}

TEST_F(BlobUnpackTest, EarlyEndMarkerEndsTheOutput) {
  Bytes blob = blob_;
  SetDeclaredSize(blob, data_.size() + 5000);
  const std::string out = dir_.File("early.bin");
  EXPECT_TRUE(Unpack(blob, out).result);
  EXPECT_EQ(ReadFile(out), data_);
}

TEST_F(BlobUnpackTest, DeclaredSizeZeroGivesAnEmptyFile) {
  Bytes blob = blob_;
  SetDeclaredSize(blob, 0);
  const std::string out = dir_.File("zero.bin");
  EXPECT_TRUE(Unpack(blob, out).result);
  EXPECT_TRUE(ReadFile(out).empty());
}

// Each failure prints its line, returns false and leaves an empty output file behind, even
// where a file of that name existed before.
TEST_F(BlobUnpackTest, FailuresPrintTheirNumberAndLeaveAnEmptyFile) {
  struct Case {
    const char* what;
    Bytes blob;
    std::size_t size;  // bytes handed over
    const char* printed;
  };
  Bytes props225 = blob_;
  props225[0] = 225;
  Bytes lcTooLarge = blob_;
  lcTooLarge[0] = 8;  // lc 8, lp 0: liblzma decodes lc + lp up to 4 only
  Bytes corrupt = blob_;
  corrupt[13] = 0xFF;  // the range coder's first byte is always zero
  Bytes unknownSize = blob_;
  SetDeclaredSize(unknownSize, ~0ull);
  Bytes highBits = blob_;
  SetDeclaredSize(highBits, (1ull << 32) + 10);
  const Case cases[] = {
      {"data cut short", blob_, blob_.size() / 2, "LzmaUncompress:6\n"},
      {"fewer than 5 bytes of LZMA data", blob_, 13 + 4, "LzmaUncompress:6\n"},
      {"no LZMA data", blob_, 13, "LzmaUncompress:6\n"},
      {"blob shorter than its header", blob_, 12, "LzmaUncompress:6\n"},
      {"empty blob", blob_, 0, "LzmaUncompress:6\n"},
      {"properties byte 225", props225, props225.size(), "LzmaUncompress:4\n"},
      {"lc + lp above 4", lcTooLarge, lcTooLarge.size(), "LzmaUncompress:4\n"},
      {"corrupt data", corrupt, corrupt.size(), "LzmaUncompress:1\n"},
      {"size not stored (all ones)", unknownSize, unknownSize.size(), "LzmaUncompress:4\n"},
      {"size above 32 bits", highBits, highBits.size(), "LzmaUncompress:4\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = dir_.File("failed.bin");
    WriteFile(out, BytesOf("old"));
    // A copy of exactly the bytes handed over, so a read past them is caught by the
    // sanitizer builds.
    const Bytes given(c.blob.begin(), c.blob.begin() + static_cast<std::ptrdiff_t>(c.size));
    const Outcome o = Unpack(given, out);
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.printed, c.printed);
    ASSERT_TRUE(FileExists(out));
    EXPECT_TRUE(ReadFile(out).empty());
  }
}

TEST_F(BlobUnpackTest, OutputThatCannotBeCreatedIsReportedByPath) {
  const std::string out = dir_.File("no-such-folder/setupdir.orxi");
  const Outcome o = Unpack(blob_, out);
  EXPECT_FALSE(o.result);
  EXPECT_EQ(o.printed, "Open DesFile ERR:" + out + "\n");
}

#ifndef _WIN32
// A blob written by xz-utils (a tool no one here wrote) unpacks. xz stores the "size
// unknown" marker, so the size field is filled in as the packing tool does.
TEST_F(BlobUnpackTest, BlobMadeByXzUnpacks) {
  const std::string plain = dir_.File("plain.bin");
  const std::string packed = dir_.File("plain.lzma");
  WriteFile(plain, data_);
  const std::string command = "xz --format=lzma -6 -c '" + plain + "' > '" + packed + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Bytes blob = ReadFile(packed);
  ASSERT_GT(blob.size(), 13u);
  EXPECT_EQ(blob[0], 0x5D);
  SetDeclaredSize(blob, data_.size());
  const std::string out = dir_.File("from-xz.bin");
  ASSERT_TRUE(Unpack(blob, out).result);
  EXPECT_EQ(ReadFile(out), data_);
}
#endif

}  // namespace
}  // namespace qv::package::test
