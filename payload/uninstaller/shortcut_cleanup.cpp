#include "shortcut_cleanup.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "product_names.h"

namespace qv::sample {
namespace {

std::optional<std::string> CommonFolder(int csidl) {
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)) || folder[0] == '\0') {
    return std::nullopt;
  }
  std::string text(folder);
  if (text.back() != '\\') text += '\\';
  return text;
}

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool DeleteLink(const std::string& path) {
  if (::DeleteFileA(path.c_str())) {
    ::SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, path.c_str(), nullptr);
    return true;
  }
  return IsGone(::GetLastError());
}

}  // namespace

bool RemoveShortcuts() {
  bool complete = true;

  if (const std::optional<std::string> desktop = CommonFolder(CSIDL_COMMON_DESKTOPDIRECTORY)) {
    if (!DeleteLink(*desktop + kDesktopLinkName)) complete = false;
  } else {
    complete = false;
  }

  if (const std::optional<std::string> programs = CommonFolder(CSIDL_COMMON_PROGRAMS)) {
    const std::string folder = *programs + kStartMenuFolderName;
    if (!DeleteLink(folder + "\\" + kViewerLinkName)) complete = false;
    if (!DeleteLink(folder + "\\" + kUninstallLinkName)) complete = false;
    if (::RemoveDirectoryA(folder.c_str())) {
      ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, folder.c_str(), nullptr);
    } else {
      ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder.c_str(), nullptr);
    }
    // A folder that is missing or still holds other items is left as it is.
  } else {
    complete = false;
  }
  return complete;
}

}  // namespace qv::sample
