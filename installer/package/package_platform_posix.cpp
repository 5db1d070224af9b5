// POSIX side of the package code's platform seam: mkdir/chdir, and the error report on
// standard error.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "installer/package/package_platform.h"

namespace qv::package {

int MakeDirectory(const char* path) { return ::mkdir(path, 0777) == 0 ? 0 : -1; }

int ChangeDirectory(const char* path) { return ::chdir(path) == 0 ? 0 : -1; }

void PlatformExtractErrorReport(const char* text, const char* caption) {
  std::fprintf(stderr, "%s %s\n", caption, text);
  std::fflush(stderr);
}

}  // namespace qv::package
