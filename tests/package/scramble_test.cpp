#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "installer/package/catalog.h"
#include "tests/package/package_fixtures.h"

namespace qv::package::test {
namespace {

TEST(Scramble, DescrambleUndoesTheToolRuleForEveryByteAtEveryAlignment) {
  // Lengths and starts that are not multiples of the word size reach every code path.
  for (std::size_t start : {0u, 1u, 3u}) {
    for (std::size_t extra : {0u, 5u, 7u}) {
      std::vector<std::uint8_t> buf(start + 256 + extra, 0xEE);
      for (int v = 0; v < 256 + static_cast<int>(extra); ++v) {
        buf[start + v] = ToolScramble(static_cast<std::uint8_t>(v));
      }
      Descramble(buf.data() + start, 256 + extra);
      for (std::size_t i = 0; i < start; ++i) ASSERT_EQ(buf[i], 0xEE);
      for (int v = 0; v < 256 + static_cast<int>(extra); ++v) {
        ASSERT_EQ(buf[start + v], static_cast<std::uint8_t>(v)) << "start " << start << " value " << v;
      }
    }
  }
}

TEST(Scramble, StepsInTheOtherOrderDoNotUndoIt) {
  EXPECT_NE(PackageKey >> 4, PackageKey & 0x0F);
  int restored = 0;
  for (int v = 0; v < 256; ++v) {
    std::uint8_t x = static_cast<std::uint8_t>(ToolScramble(static_cast<std::uint8_t>(v)) ^ PackageKey);
    x = static_cast<std::uint8_t>((x << 4) | (x >> 4));  // XOR first, then swap
    restored += x == v;
  }
  EXPECT_EQ(restored, 0);
}

TEST(Scramble, ScrambleMatchesTheToolRule) {
  std::vector<std::uint8_t> buf(259);
  for (std::size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<std::uint8_t>(i);
  Scramble(buf.data(), buf.size());
  for (std::size_t i = 0; i < buf.size(); ++i) {
    ASSERT_EQ(buf[i], ToolScramble(static_cast<std::uint8_t>(i)));
  }
}

}  // namespace
}  // namespace qv::package::test
