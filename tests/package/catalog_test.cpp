// Index reading: record layout, banner, path rules, flag byte, duplicates, order, and the
// records that are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "installer/package/catalog.h"
#include "tests/package/package_fixtures.h"

namespace qv::package::test {
namespace {

Bytes IndexWith(const std::vector<Bytes>& records) {
  Bytes index = IndexHeader();
  for (const Bytes& r : records) index.insert(index.end(), r.begin(), r.end());
  return index;
}

class CatalogTest : public ::testing::Test {
 protected:
  std::string Write(const Bytes& index, const std::string& name = "setupdir.orxi") {
    const std::string path = dir_.File(name);
    WriteFile(path, index);
    return path;
  }
  TempDir dir_;
};

// Every field is placed at its record offset by hand, then read back through LoadCatalog.
// Flags 0 and 2 both mean a plain body; only 1 means scrambled.
Bytes HandLaidRecord(std::uint8_t flag) {
  Bytes rec(301, 0);
  rec[0] = flag;
  const char name[] = "\\bin\\x.dat";
  std::memcpy(&rec[1], name, sizeof(name) - 1);
  for (int i = 0; i < 32; ++i) rec[261 + i] = static_cast<std::uint8_t>(0xC0 + i);
  rec[293] = 0x78; rec[294] = 0x56; rec[295] = 0x34; rec[296] = 0x12;  // offset 0x12345678
  rec[297] = 0x10; rec[298] = 0x20; rec[299] = 0x00; rec[300] = 0x00;  // length 0x2010
  if (flag == 1) {
    for (int i = 1; i < 301; ++i) rec[i] = ToolScramble(rec[i]);
  }
  return rec;
}

TEST_F(CatalogTest, ReadsEveryFieldAtItsRecordOffset) {
  for (std::uint8_t flag : {0, 1, 2}) {
    SCOPED_TRACE(static_cast<int>(flag));
    PackageCatalog catalog;
    const std::string path = Write(IndexWith({HandLaidRecord(flag)}));
    ASSERT_TRUE(LoadCatalog(path, catalog));
    ASSERT_EQ(catalog.size(), 1u);
    const PackageEntry& e = catalog.begin()->second;
    EXPECT_EQ(catalog.begin()->first, "\\bin\\x.dat");
    EXPECT_EQ(e.m_strName, "\\bin\\x.dat");
    EXPECT_EQ(e.m_strStreamPath, dir_.File("setupdir.orxs"));
    EXPECT_EQ(e.m_nOffset, 0x12345678);
    EXPECT_EQ(e.m_nLength, 0x2010);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(e.m_digest[i], 0xC0 + i);
    EXPECT_EQ(e.m_bScrambled, flag == 1);
  }
}

TEST_F(CatalogTest, BannerRules) {
  struct Case {
    const char* what;
    std::size_t size;  // file size (records of distinct names fill past the header)
    void (*edit)(Bytes&);
    bool loads;
    std::size_t entries;
  };
  const Case cases[] = {
      {"exact header, no records", 512, [](Bytes&) {}, true, 0},
      {"one banner character differs", 512, [](Bytes& h) { h[50] ^= 0x01; }, false, 0},
      {"year changed", 512,
       [](Bytes& h) {
         char* p = std::strstr(reinterpret_cast<char*>(h.data()), "2026");
         p[3] = '5';
       },
       false, 0},
      {"no NUL right after the banner", 512, [](Bytes& h) { h[101] = 'x'; }, false, 0},
      {"non-zero filler after the NUL", 512,
       [](Bytes& h) { std::memset(&h[102], 0xEE, 512 - 102); }, true, 0},
      {"three records and 100 trailing bytes", 512 + 301 * 3 + 100, [](Bytes&) {}, true, 3},
      {"shorter than the header, banner and NUL", 102, [](Bytes&) {}, true, 0},
      {"shorter than the header, banner only", 101, [](Bytes&) {}, true, 0},
      {"shorter than the banner", 60, [](Bytes&) {}, false, 0},
      {"empty file", 0, [](Bytes&) {}, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes index = IndexHeader();
    c.edit(index);
    for (int i = 0; i < 3; ++i) {
      const Bytes rec = MakeRecord({static_cast<std::uint8_t>(i == 1), "\\f" + std::to_string(i), {}, i * 10, 10});
      index.insert(index.end(), rec.begin(), rec.end());
    }
    index.resize(c.size, 0x5A);
    PackageCatalog catalog;
    EXPECT_EQ(LoadCatalog(Write(index), catalog), c.loads);
    EXPECT_EQ(catalog.size(), c.entries);
  }
}

TEST_F(CatalogTest, PathTestIsCaseSensitiveSubstringAndStreamPathReplacesLastFour) {
  const Bytes index = IndexWith({MakeRecord({0, "\\a", {}, 0, 1})});
  PackageCatalog catalog;
  EXPECT_FALSE(LoadCatalog(Write(index, "SETUPDIR.ORXI"), catalog));
  EXPECT_FALSE(LoadCatalog(Write(index, "setupdir.idx"), catalog));
  EXPECT_TRUE(catalog.empty());

  ASSERT_TRUE(LoadCatalog(Write(index, "a.orxi.tmp"), catalog));
  ASSERT_EQ(catalog.size(), 1u);
  EXPECT_EQ(catalog.begin()->second.m_strStreamPath, dir_.File("a.orxiorxs"));

  EXPECT_FALSE(LoadCatalog(dir_.File("missing.orxi"), catalog));
}

TEST_F(CatalogTest, LaterRecordOfTheSameNameReplacesTheEarlierOneAndOthersStay) {
  PackageCatalog catalog;
  catalog["\\kept"].m_strName = "\\kept";
  RecordSpec first{0, "\\dup", {}, 10, 20};
  first.digest[0] = 0x11;
  RecordSpec second{1, "\\dup", {}, 30, 40};
  second.digest[0] = 0x22;
  ASSERT_TRUE(LoadCatalog(Write(IndexWith({MakeRecord(first), MakeRecord(second)})), catalog));
  ASSERT_EQ(catalog.size(), 2u);
  const PackageEntry& e = catalog.at("\\dup");
  EXPECT_EQ(e.m_nOffset, 30);
  EXPECT_EQ(e.m_nLength, 40);
  EXPECT_EQ(e.m_digest[0], 0x22);
  EXPECT_TRUE(e.m_bScrambled);
  EXPECT_EQ(catalog.count("\\kept"), 1u);
}

TEST(CatalogOrder, UnsignedBytesShorterPrefixFirst) {
  PackageCatalog catalog;
  for (const char* name : {"ab", "\xB0\xB2", "a", "B", "\x7F", "a\x80", "a\x01"}) catalog[name];
  std::vector<std::string> order;
  for (const auto& [name, entry] : catalog) order.push_back(name);
  const std::vector<std::string> expected = {"B", "a", "a\x01", "ab", "a\x80", "\x7F", "\xB0\xB2"};
  EXPECT_EQ(order, expected);
}

// Records that would let the installer write outside its folder or read out of bounds:
// the whole index is refused and the catalogue is left as it was.
TEST_F(CatalogTest, RefusesIndexWithAnUnsafeRecord) {
  struct Case {
    const char* what;
    Bytes record;
  };
  Bytes noNul = MakeRecord({0, std::string(260, 'n'), {}, 0, 1});
  Bytes noNulScrambled = MakeRecord({1, std::string(260, 'n'), {}, 0, 1});
  const Case cases[] = {
      {"name without NUL", noNul},
      {"name without NUL, scrambled", noNulScrambled},
      {"empty name", MakeRecord({0, "", {}, 0, 1})},
      {"one-character name", MakeRecord({0, "a", {}, 0, 1})},
      {"parent component", MakeRecord({0, "\\..\\evil.dll", {}, 0, 1})},
      {"parent component in the middle", MakeRecord({0, "\\bin\\..\\..\\evil.dll", {}, 0, 1})},
      {"parent component with slashes", MakeRecord({0, "/bin/../../evil.dll", {}, 0, 1})},
      {"parent component last", MakeRecord({0, "\\bin\\..", {}, 0, 1})},
      {"parent component, scrambled", MakeRecord({1, "\\..\\evil.dll", {}, 0, 1})},
      {"dots and a space", MakeRecord({0, "\\.. \\evil.dll", {}, 0, 1})},
      {"three dots", MakeRecord({0, "\\...\\evil.dll", {}, 0, 1})},
      {"drive letter", MakeRecord({0, "\\C:\\Windows\\evil.dll", {}, 0, 1})},
      {"colon (stream name)", MakeRecord({0, "\\a.txt:hidden", {}, 0, 1})},
      {"negative offset", MakeRecord({0, "\\a", {}, -1, 1})},
      {"negative length", MakeRecord({0, "\\a", {}, 0, -5})},
      {"offset plus length past 2^31-1", MakeRecord({0, "\\a", {}, 0x7FFFFFF0, 0x10})},
  };
  const Bytes good = MakeRecord({0, "\\good", {}, 0, 1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageCatalog catalog;
    catalog["\\kept"].m_nLength = 7;
    EXPECT_FALSE(LoadCatalog(Write(IndexWith({good, c.record, good})), catalog));
    ASSERT_EQ(catalog.size(), 1u);
    EXPECT_EQ(catalog.at("\\kept").m_nLength, 7);
  }
}

TEST_F(CatalogTest, AcceptsNamesThatOnlyLookUnusual) {
  const char* names[] = {"\\a..b\\c..", "\\.hidden\\x", "\\bin\\.\\x", ":x",
                         "\\\xD6\xD0\xCE\xC4\\\xCE\xC4\xBC\xFE.txt",  // GBK folder and file
                         "\\x", "\\a\\b\\c\\d"};
  std::vector<Bytes> records;
  for (const char* n : names) records.push_back(MakeRecord({0, n, {}, 0x7FFFFFFE, 1}));
  records.push_back(MakeRecord({0, std::string(259, 'm'), {}, 0, 0}));  // 259 chars + NUL
  PackageCatalog catalog;
  ASSERT_TRUE(LoadCatalog(Write(IndexWith(records)), catalog));
  EXPECT_EQ(catalog.size(), records.size());
}

}  // namespace
}  // namespace qv::package::test
