// Creating and entering the directories of an entry's relative path.
#include <cstring>
#include <string>

#include "installer/package/extract.h"
#include "installer/package/package_platform.h"

namespace qv::package {

bool MakeDirectoryChain(const char* relativePath) {
  if (relativePath == nullptr) return true;
  const std::size_t length = std::strlen(relativePath);
  std::string component;
  std::size_t start = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const char c = relativePath[i];
    if (c != '\\' && c != '/') continue;
    // An empty component (leading or doubled separator) is skipped; a component never
    // holds a separator, so no step can leave the current directory for the root.
    if (i > start) {
      component.assign(relativePath + start, i - start);
      MakeDirectory(component.c_str());  // an existing directory is fine
      if (ChangeDirectory(component.c_str()) == -1) return false;
    }
    start = i + 1;
  }
  return true;
}

}  // namespace qv::package
