#include "tree_removal.h"

#include <windows.h>
#include <shlobj.h>

#include "win_handles.h"

namespace qv::sample {
namespace {

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

class TreeRemover {
 public:
  TreeRemover(const std::string& installDir, const OwnImage& self) : installDir_(installDir), self_(self) {}

  // `folder` ends in a backslash.
  bool RemoveContents(const std::string& folder) {
    WIN32_FIND_DATAA found = {};
    UniqueFind find(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!find) return IsGone(::GetLastError());
    bool complete = true;
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + name;
      const DWORD attributes = found.dwFileAttributes;
      bool done;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        done = RemoveContents(path + "\\");
        done = RemoveFolder(path, attributes) && done;
      } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        done = RemoveFolder(path, attributes);  // a folder link: only the link goes
      } else {
        done = RemoveFile(path, attributes);
      }
      if (!done) complete = false;
    } while (::FindNextFileA(find.get(), &found));
    return complete;
  }

  bool RemoveFolder(const std::string& path, DWORD attributes) {
    // A read-only folder cannot be removed; a link's attributes are left alone.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      ::SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
    return ::RemoveDirectoryA(path.c_str()) || IsGone(::GetLastError());
  }

 private:
  bool RemoveFile(const std::string& path, DWORD attributes) {
    if (self_.IsSameFile(path)) return self_.MoveOutOf(path, installDir_);
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) || IsGone(::GetLastError());
  }

  const std::string& installDir_;
  const OwnImage& self_;
};

}  // namespace

bool RemoveInstallTree(const std::string& installDir, const OwnImage& self) {
  if (installDir.size() < 2 || installDir.back() != '\\') return false;
  const DWORD attributes = ::GetFileAttributesA(installDir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return IsGone(::GetLastError());

  TreeRemover remover(installDir, self);
  std::string folder = installDir.substr(0, installDir.size() - 1);
  bool complete = true;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) complete = remover.RemoveContents(installDir);
  complete = remover.RemoveFolder(folder, attributes) && complete;
  ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, folder.c_str(), nullptr);
  return complete;
}

}  // namespace qv::sample
