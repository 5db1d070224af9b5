// A deterministic benchmark payload: about 200 files and 40 MB in nested folders, a mix
// of text (prose, logs, configuration, Chinese text), binary data shaped like program
// code and tables, and data that is already compressed. The same seed gives the same
// files on every machine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace qvbench {

struct PayloadStats {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::uint64_t text_bytes = 0;
  std::uint64_t binary_bytes = 0;
  std::uint64_t compressed_bytes = 0;
};

// Writes the payload below `root` (created). Returns what was written.
PayloadStats GeneratePayload(const std::filesystem::path& root, std::uint32_t seed = 20240601,
                             std::uint64_t target_bytes = 40ull << 20, int file_count = 200);

}  // namespace qvbench
