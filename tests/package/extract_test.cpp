// Reading, verifying and writing entries from a real stream file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "installer/package/blob_unpack.h"
#include "installer/package/catalog.h"
#include "installer/package/extract.h"
#include "installer/package/package_platform.h"
#include "tests/package/package_fixtures.h"

namespace qv::package::test {
namespace {

struct Report {
  std::string text;
  std::string caption;
};

// A stream file holding a scrambled and a plain entry, and a catalogue describing them.
class ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bytes stream = BytesOf("stream file filler ");
    scrambledAt_ = static_cast<std::int32_t>(stream.size());
    for (std::uint8_t b : scrambled_) stream.push_back(ToolScramble(b));
    plainAt_ = static_cast<std::int32_t>(stream.size());
    stream.insert(stream.end(), plain_.begin(), plain_.end());
    WriteFile(streamPath_, stream);
    Add(SpecFor("\\bin\\s.dat", scrambled_, scrambledAt_, true));
    Add(SpecFor("\\p.txt", plain_, plainAt_, false));
  }
  void Add(const RecordSpec& rec) {
    PackageEntry& e = catalog_[rec.name];
    e.m_strName = rec.name;
    e.m_strStreamPath = streamPath_;
    e.m_nOffset = rec.offset;
    e.m_nLength = rec.length;
    std::memcpy(e.m_digest.data(), rec.digest, 32);
    e.m_bScrambled = rec.flag == 1;
  }
  ScopedExtractErrorReporter Record() {
    return ScopedExtractErrorReporter([this](const char* text, const char* caption) {
      reports_.push_back({text, caption});
    });
  }

  TempDir dir_;
  const std::string streamPath_ = dir_.File("setupdir.orxs");
  const Bytes scrambled_ = SampleData(5000, 1);
  const Bytes plain_ = BytesOf("plain entry verified over its bytes exactly as stored");
  std::int32_t scrambledAt_ = 0;
  std::int32_t plainAt_ = 0;
  PackageCatalog catalog_;
  std::vector<Report> reports_;
};

TEST_F(ExtractTest, ReadEntryDescramblesAndVerifies) {
  Bytes buf(scrambled_.size());
  EXPECT_TRUE(ReadEntry("\\bin\\s.dat", buf.data(), catalog_, static_cast<std::int32_t>(buf.size())));
  EXPECT_EQ(buf, scrambled_);
  Bytes plain(plain_.size() + 10, 0xEE);
  EXPECT_TRUE(ReadEntry("\\p.txt", plain.data(), catalog_, static_cast<std::int32_t>(plain.size())));
  EXPECT_TRUE(std::equal(plain_.begin(), plain_.end(), plain.begin()));
  EXPECT_EQ(plain.back(), 0xEE);
}

TEST_F(ExtractTest, ReadEntryWithABufferOneByteShortReadsNothing) {
  Bytes buf(scrambled_.size() - 1, 0xEE);
  EXPECT_FALSE(ReadEntry("\\bin\\s.dat", buf.data(), catalog_, static_cast<std::int32_t>(buf.size())));
  EXPECT_EQ(buf, Bytes(buf.size(), 0xEE));
}

TEST_F(ExtractTest, ReadEntryFailures) {
  struct Case {
    const char* what;
    void (*edit)(PackageEntry&);
  };
  const Case cases[] = {
      {"digest differs", [](PackageEntry& e) { e.m_digest[31] ^= 1; }},
      {"stream shorter than the entry", [](PackageEntry& e) { e.m_nOffset += 100; }},
      {"offset past the end of the stream", [](PackageEntry& e) { e.m_nOffset = 1 << 30; }},
      {"stream file missing", [](PackageEntry& e) { e.m_strStreamPath += ".gone"; }},
      {"flag not matching the data", [](PackageEntry& e) { e.m_bScrambled = false; }},
      {"negative offset", [](PackageEntry& e) { e.m_nOffset = -4; }},
      {"negative length", [](PackageEntry& e) { e.m_nLength = -1; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageCatalog catalog = catalog_;
    c.edit(catalog.at("\\bin\\s.dat"));
    // Guard bytes after the entry's room catch a write past it.
    Bytes buf(scrambled_.size() + 16, 0xEE);
    EXPECT_FALSE(ReadEntry("\\bin\\s.dat", buf.data(), catalog, static_cast<std::int32_t>(scrambled_.size())));
    EXPECT_EQ(Bytes(buf.end() - 16, buf.end()), Bytes(16, 0xEE));
  }
  Bytes buf(16);
  EXPECT_FALSE(ReadEntry("\\absent", buf.data(), catalog_, 16));
}

TEST_F(ExtractTest, ExtractEntryWritesTheVerifiedData) {
  const std::string dest = dir_.File("s.dat");
  WriteFile(dest, BytesOf("older version"));
  auto guard = Record();
  EXPECT_TRUE(ExtractEntry("\\bin\\s.dat", catalog_, dest));
  EXPECT_EQ(ReadFile(dest), scrambled_);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(ExtractTest, DigestMismatchIsReportedOnceAndNothingIsWritten) {
  catalog_.at("\\p.txt").m_digest[0] ^= 0x80;
  const std::string dest = dir_.File("p.txt");
  auto guard = Record();
  EXPECT_FALSE(ExtractEntry("\\p.txt", catalog_, dest));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].text, "\\p.txt");
  EXPECT_EQ(reports_[0].caption, "ORX\xBD\xE2\xD1\xB9\xB4\xED\xCE\xF3!");  // GBK of the caption
  EXPECT_FALSE(FileExists(dest));
}

TEST_F(ExtractTest, RefusalsCreateNoFileAndReportNothing) {
  PackageCatalog catalog = catalog_;
  Add(SpecFor("\\empty", Bytes(), 0, false));
  catalog["\\empty"] = catalog_.at("\\empty");
  catalog["\\negative"] = catalog_.at("\\p.txt");
  catalog["\\negative"].m_nLength = -3;
  auto guard = Record();
  for (const char* name : {"\\empty", "\\negative", "\\absent"}) {
    SCOPED_TRACE(name);
    const std::string dest = dir_.File("refused.bin");
    EXPECT_FALSE(ExtractEntry(name, catalog, dest));
    EXPECT_FALSE(FileExists(dest));
  }
  EXPECT_TRUE(reports_.empty());
}

TEST_F(ExtractTest, DestinationThatCannotBeCreatedGivesFalse) {
  auto guard = Record();
  EXPECT_FALSE(ExtractEntry("\\p.txt", catalog_, dir_.File("missing-folder/p.txt")));
  EXPECT_TRUE(reports_.empty());
}

// The whole road: blobs made from an index and a stream, unpacked, loaded, extracted.
TEST_F(ExtractTest, PackageRoundTrip) {
  const Bytes a = SampleData(70000, 3), b = BytesOf("second file");
  Bytes stream = a;
  for (std::uint8_t x : b) stream.push_back(ToolScramble(x));
  Bytes index = IndexHeader();
  for (const Bytes& r : {MakeRecord(SpecFor("\\a.bin", a, 0, false)),
                         MakeRecord(SpecFor("\\d\\b.txt", b, static_cast<std::int32_t>(a.size()), true))}) {
    index.insert(index.end(), r.begin(), r.end());
  }
  const std::string indexPath = dir_.File("pkg.orxi");
  ::testing::internal::CaptureStdout();
  const bool unpacked = UnpackResourceToFile(EncodeBlob(index).data(), EncodeBlob(index).size(), indexPath.c_str()) &&
                        UnpackResourceToFile(EncodeBlob(stream).data(), EncodeBlob(stream).size(),
                                             dir_.File("pkg.orxs").c_str());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_TRUE(unpacked);
  PackageCatalog catalog;
  ASSERT_TRUE(LoadCatalog(indexPath, catalog));
  ASSERT_EQ(catalog.size(), 2u);
  ASSERT_TRUE(ExtractEntry("\\a.bin", catalog, dir_.File("a.bin")));
  ASSERT_TRUE(ExtractEntry("\\d\\b.txt", catalog, dir_.File("b.txt")));
  EXPECT_EQ(ReadFile(dir_.File("a.bin")), a);
  EXPECT_EQ(ReadFile(dir_.File("b.txt")), b);
}

}  // namespace
}  // namespace qv::package::test
