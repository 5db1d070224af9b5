// Walks a payload folder and lists the files the package will hold, in catalogue order
// (entry names compared as unsigned bytes, as the installer's catalogue sorts them).
// Every file is checked here, before anything is written: its name (GBK form, length,
// what Windows and the installer can create), its size (not 0 unless skipped, under
// 2 GiB) and the total (the stream must stay within 2^31-1 bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "status.h"

namespace qvpack {

struct PayloadFile {
  std::string name;             // GBK entry name: a backslash, then the relative path
  std::filesystem::path path;   // where the data is read from
  std::uint64_t size = 0;       // size when the folder was walked
};

struct ScanOptions {
  bool skip_empty = false;                           // leave out 0-byte files, with a warning
  std::function<void(const std::string&)> warn;      // warnings (skipped files, empty folders)
};

// Largest file the installer's 32-bit signed lengths can hold: 2 GiB - 1.
inline constexpr std::uint64_t kMaxFileSize = 0x7FFFFFFF;

Status ScanPayload(const std::filesystem::path& root, const ScanOptions& options,
                   std::vector<PayloadFile>& files);

}  // namespace qvpack
