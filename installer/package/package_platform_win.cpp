// Windows side of the package code's platform seam: the runtime library's directory calls
// and an ownerless error message box.
#include <direct.h>
#include <windows.h>

#include "installer/package/package_platform.h"

namespace qv::package {

int MakeDirectory(const char* path) { return _mkdir(path) == 0 ? 0 : -1; }

int ChangeDirectory(const char* path) { return _chdir(path) == 0 ? 0 : -1; }

void PlatformExtractErrorReport(const char* text, const char* caption) {
  // No owner: the box blocks only the calling thread and leaves the setup window enabled.
  MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_OK);
}

}  // namespace qv::package
