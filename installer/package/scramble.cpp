// The scramble rule over buffers. Eight bytes are handled per step with word operations
// (the rule works on each byte by itself, so byte order does not matter); the compiler
// needs no vectoriser for this to run at memory speed.
#include <cstdint>
#include <cstring>

#include "installer/package/catalog.h"

namespace qv::package {
namespace {

constexpr std::uint64_t kLowNibbles = 0x0F0F0F0F0F0F0F0Full;
constexpr std::uint64_t kKeyWord = 0x0101010101010101ull * PackageKey;

inline std::uint64_t SwapNibbleWord(std::uint64_t v) {
  return ((v & kLowNibbles) << 4) | ((v >> 4) & kLowNibbles);
}

}  // namespace

void Descramble(std::uint8_t* buf, std::size_t count) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, buf + i, 8);
    v = SwapNibbleWord(v) ^ kKeyWord;
    std::memcpy(buf + i, &v, 8);
  }
  for (; i < count; ++i) buf[i] = DescrambleByte(buf[i]);
}

void Scramble(std::uint8_t* buf, std::size_t count) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, buf + i, 8);
    v = SwapNibbleWord(v ^ kKeyWord);
    std::memcpy(buf + i, &v, 8);
  }
  for (; i < count; ++i) buf[i] = ScrambleByte(buf[i]);
}

}  // namespace qv::package
