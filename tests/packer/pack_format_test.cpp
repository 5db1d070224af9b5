// What `qvpack pack` writes: records in catalogue order with GBK names, the stream in the
// same order, scrambled by default and plain with --plain, and the same bytes every time.
#include <gtest/gtest.h>

#include <cstring>

#include "blob_names.h"
#include "fixture_payload.h"
#include "installer/package/package_format.h"
#include "package_reader.h"
#include "packer_test_support.h"

namespace qvpack_test {
namespace {

namespace pf = qv::package;

struct Packed {
  std::string index;
  std::string stream;
};

Packed PackFixture(const ScratchDir& dir, std::vector<fs::path> options) {
  WriteFixture(dir / "payload");
  std::vector<fs::path> args{"pack"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(dir / "payload");
  args.push_back(dir / "out");
  RunResult r = RunQvpack(args);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "") << "nothing on standard error when it is not a terminal";
  Decoded index = DecodeBlob(dir / "out" / qvpack::kIndexBlobName);
  Decoded stream = DecodeBlob(dir / "out" / qvpack::kStreamBlobName);
  EXPECT_TRUE(index.ok && stream.ok);
  return {index.bytes, stream.bytes};
}

void ExpectPackage(const Packed& packed, bool scrambled) {
  ASSERT_GE(packed.index.size(), pf::kIndexHeaderSize);
  EXPECT_EQ(packed.index.substr(0, pf::kBannerLength + 1), std::string(pf::kIndexBanner, pf::kBannerLength + 1));
  const std::size_t filler = pf::kIndexHeaderSize - pf::kBannerLength - 1;
  EXPECT_EQ(packed.index.substr(pf::kBannerLength + 1, filler), std::string(filler, '\0'))
      << "header filler is zeros";
  const auto& files = FixtureFiles();
  ASSERT_EQ(packed.index.size(), pf::kIndexHeaderSize + pf::kRecordSize * files.size());
  std::vector<RawRecord> records = ParseIndex(packed.index);
  std::string expected_stream;
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].utf8_path);
    const RawRecord& r = records[i];
    EXPECT_EQ(r.flag, scrambled ? 1 : 0);
    EXPECT_EQ(r.name, files[i].gbk_name);
    EXPECT_EQ(r.offset, static_cast<std::int32_t>(expected_stream.size())) << "data in catalogue order";
    EXPECT_EQ(r.length, static_cast<std::int32_t>(files[i].content.size()));
    EXPECT_EQ(std::string(r.digest.begin(), r.digest.end()), Sm3(files[i].content));
    expected_stream += scrambled ? Scrambled(files[i].content) : files[i].content;
  }
  EXPECT_TRUE(packed.stream == expected_stream) << "stream holds the files back to back";
}

TEST(PackFormat, ScrambledByDefaultWithGbkNamesInUnsignedByteOrder) {
  ScratchDir dir;
  Packed packed = PackFixture(dir, {});
  ExpectPackage(packed, true);
  // Scrambled records do not show their names.
  EXPECT_EQ(packed.index.find("ab.txt"), std::string::npos);
}

TEST(PackFormat, PlainOptionStoresRecordsAndDataAsTheyAre) {
  ScratchDir dir;
  Packed packed = PackFixture(dir, {"--plain"});
  ExpectPackage(packed, false);
  EXPECT_NE(packed.index.find("\\文档\\说明.txt"), std::string::npos);
}

TEST(PackFormat, KnownSm3DigestOfPlainData) {
  // SM3("abc") from GB/T 32905-2016, example 1: the digest covers the plain bytes.
  ScratchDir dir;
  Packed packed = PackFixture(dir, {});
  const std::uint8_t kAbc[32] = {0x66, 0xc7, 0xf0, 0xf4, 0x62, 0xee, 0xed, 0xd9, 0xd1, 0xf2, 0xd4,
                                 0x6b, 0xdc, 0x10, 0xe4, 0xe2, 0x41, 0x67, 0xc4, 0x87, 0x5c, 0xf2,
                                 0xf7, 0xa2, 0x29, 0x7d, 0xa0, 0x2b, 0x8f, 0x4b, 0xa8, 0xe0};
  bool found = false;
  for (const RawRecord& r : ParseIndex(packed.index)) {
    if (r.name == "\\ab.txt") {
      found = true;
      EXPECT_EQ(std::memcmp(r.digest.data(), kAbc, 32), 0);
    }
  }
  EXPECT_TRUE(found);
}

TEST(PackFormat, BlobHeaderCarriesPropertiesDictionaryAndRealSize) {
  ScratchDir dir;
  Packed packed = PackFixture(dir, {});
  for (const char* blob : {qvpack::kIndexBlobName, qvpack::kStreamBlobName}) {
    SCOPED_TRACE(blob);
    const std::string bytes = ReadFile(dir / "out" / blob);
    ASSERT_GT(bytes.size(), pf::kBlobHeaderSize);
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    EXPECT_EQ(b[0], 0x5D);
    EXPECT_EQ(pf::GetLe32(b + 1), 16u << 20);
    const std::uint64_t size = pf::GetLe32(b + 5) | (std::uint64_t{pf::GetLe32(b + 9)} << 32);
    EXPECT_EQ(size, std::string(blob) == qvpack::kIndexBlobName ? packed.index.size() : packed.stream.size());
  }
}

TEST(PackFormat, SamePayloadGivesSameBytes) {
  // The second payload is created in the opposite order, later: neither the folder's
  // order nor file times may show in the blobs.
  ScratchDir dir;
  WriteFixture(dir / "one");
  WriteFixture(dir / "two", true);
  ASSERT_EQ(RunQvpack({"pack", dir / "one", dir / "out1"}).exit_code, 0);
  ASSERT_EQ(RunQvpack({"pack", dir / "two", dir / "out2"}).exit_code, 0);
  for (const char* blob : {qvpack::kIndexBlobName, qvpack::kStreamBlobName}) {
    EXPECT_TRUE(ReadFile(dir / "out1" / blob) == ReadFile(dir / "out2" / blob)) << blob;
  }
}

TEST(PackFormat, PresetChangesOnlyTheCompression) {
  ScratchDir dir;
  WriteFixture(dir / "payload");
  ASSERT_EQ(RunQvpack({"pack", dir / "payload", dir / "best"}).exit_code, 0);
  ASSERT_EQ(RunQvpack({"pack", "--preset", "0", dir / "payload", dir / "fast"}).exit_code, 0);
  const fs::path best = dir / "best" / qvpack::kStreamBlobName;
  const fs::path fast = dir / "fast" / qvpack::kStreamBlobName;
  EXPECT_NE(ReadFile(best), ReadFile(fast));
  EXPECT_EQ(DecodeBlob(best).bytes, DecodeBlob(fast).bytes);
  EXPECT_EQ(ReadFile(fast)[0], '\x5D');
}

}  // namespace
}  // namespace qvpack_test
