// Reads a package the way the format describes it, independently of LoadCatalog: decodes
// a blob with the installer's UnpackResourceToFile and splits an index into raw records.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "packer_test_support.h"

namespace qvpack_test {

// The decoded content of a blob file (through UnpackResourceToFile). Empty optional-like
// result: `ok` false when decoding fails.
struct Decoded {
  bool ok = false;
  std::string bytes;
};
Decoded DecodeBlob(const fs::path& blob);

struct RawRecord {
  std::uint8_t flag = 0;
  std::string name;  // GBK, up to the NUL
  std::array<std::uint8_t, 32> digest{};
  std::int32_t offset = 0;
  std::int32_t length = 0;
};
// Splits an index file into records (descrambling bodies whose flag is 1).
std::vector<RawRecord> ParseIndex(const std::string& index);

std::string Scrambled(std::string plain);
std::string Sm3(const std::string& bytes);

}  // namespace qvpack_test
