// Internal to the package code: an owning stdio FILE handle.
#pragma once

#include <cstdio>
#include <memory>

namespace qv::package {

struct StdioFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
// Closed on destruction; call CloseChecked where a failed close must be seen (writes).
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

inline StdioFile OpenStdioFile(const char* path, const char* mode) {
  return StdioFile(std::fopen(path, mode));
}

// Closes the file now; true when the close (and so the flush of written data) succeeded.
inline bool CloseChecked(StdioFile& file) {
  return std::fclose(file.release()) == 0;
}

}  // namespace qv::package
