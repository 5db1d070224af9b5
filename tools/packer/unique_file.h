// An owned FILE*: closed when the owner goes away.
#pragma once

#include <cstdio>
#include <memory>

namespace qvpack {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace qvpack
