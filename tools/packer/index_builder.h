// Builds the package index file: the 512-byte header (banner, its NUL, zero filler) and
// one 301-byte record per entry, in the order given (the catalogue order).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/package/package_format.h"

namespace qvpack {

struct IndexEntry {
  std::string name;  // GBK, at most 259 bytes
  std::uint8_t digest[qv::package::kDigestSize] = {};
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// The whole index file. With `scramble` every record body is scrambled and flagged 1;
// otherwise the flag is 0 and the body plain.
std::vector<std::uint8_t> BuildIndex(const std::vector<IndexEntry>& entries, bool scramble);

}  // namespace qvpack
