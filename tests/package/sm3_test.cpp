#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "installer/package/sm3.h"

namespace qv::package::test {
namespace {

std::string Hex(const std::uint8_t* d) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (int i = 0; i < 32; ++i) {
    s += kDigits[d[i] >> 4];
    s += kDigits[d[i] & 15];
  }
  return s;
}

// The two examples of GB/T 32905-2016.
TEST(Sm3, StandardExamples) {
  std::uint8_t d[32];
  ASSERT_TRUE(TrySm3Digest("abc", 3, d));
  EXPECT_EQ(Hex(d), "66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0");
  std::string abcd;
  for (int i = 0; i < 16; ++i) abcd += "abcd";
  Sm3Digest(abcd.data(), abcd.size(), d);
  EXPECT_EQ(Hex(d), "debe9ff92275b8a138604889c18e5a4d6fdb70e5387e5765293dcba39c0c5732");
}

}  // namespace
}  // namespace qv::package::test
