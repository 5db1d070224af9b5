#include "installer/system/shortcuts.h"

#include <windows.h>
#include <direct.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstring>

#include "installer/system/com_ptr.h"
#include "installer/system/path_text.h"

namespace qv::system {
namespace {

const char kStartMenuFolder[] = "OstraQelvo";
const char kViewerLinkName[] = "Qelvo电子印章阅读器.lnk";
const char kUninstallLinkName[] = "卸载Qelvo电子印章.lnk";

// Queries a common shell folder without creating it. False (and an empty text) on failure.
bool QueryFolder(int csidl, char (&folder)[MAX_PATH]) {
  folder[0] = '\0';
  if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE) || folder[0] == '\0') {
    folder[0] = '\0';
    return false;
  }
  return true;
}

// folder + a backslash unless folder already ends in one + name.
bool JoinFolder(char (&path)[MAX_PATH], const char* folder, const char* name) {
  const std::size_t length = std::strlen(folder);
  const char* separator = length > 0 && folder[length - 1] == '\\' ? "" : "\\";
  return FormatText(path, sizeof path, "%s%s%s", folder, separator, name);
}

// Queries the common programs folder, enters it, creates "OstraQelvo" there, and composes
// programs + "\OstraQelvo\" + linkName. False when the link path can't be composed.
bool StartMenuLinkPath(char (&link)[MAX_PATH], const char* linkName) {
  char programs[MAX_PATH];
  if (!QueryFolder(CSIDL_COMMON_PROGRAMS, programs)) return false;
  if (_chdir(programs) == 0) _mkdir(kStartMenuFolder);
  char relative[MAX_PATH];
  return FormatText(relative, sizeof relative, "%s\\%s", kStartMenuFolder, linkName) &&
         JoinFolder(link, programs, relative);
}

}  // namespace

int CreateShellLink(const char* linkPath, const char* targetPath) {
  if (linkPath == nullptr || targetPath == nullptr) return 0;
  char workingDirectory[MAX_PATH];
  if (!FormatText(workingDirectory, sizeof workingDirectory, "%s", targetPath)) return 0;
  CutAtLastSeparator(workingDirectory);
  wchar_t wideLinkPath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideLinkPath, MAX_PATH) == 0) return 0;

  const ComApartment apartment;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.receive()))) {
    return 0;
  }
  link->SetPath(targetPath);
  link->SetWorkingDirectory(workingDirectory);
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive()))) return 0;
  file->Save(wideLinkPath, TRUE);
  return 1;
}

void NotifyShellOfNewItem(char* path) {
  if (path == nullptr) return;
  SHChangeNotify(SHCNE_CREATE | SHCNE_INTERRUPT, SHCNF_PATHA | SHCNF_FLUSH, path, nullptr);
  CutAtLastSeparator(path);
  SHChangeNotify(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, SHCNF_PATHA | SHCNF_FLUSH, path, nullptr);
}

void CreateShortcuts(const char* installDir) {
  if (installDir == nullptr) return;
  char viewer[MAX_PATH];
  const bool haveViewer = FormatText(viewer, sizeof viewer, "%s\\QVStampPage.exe", installDir);
  char uninstaller[MAX_PATH];
  const bool haveUninstaller =
      FormatText(uninstaller, sizeof uninstaller, "%s\\uninstall.exe", installDir);

  char folder[MAX_PATH];
  char link[MAX_PATH];
  if (haveViewer && QueryFolder(CSIDL_COMMON_DESKTOPDIRECTORY, folder) &&
      JoinFolder(link, folder, kViewerLinkName)) {
    CreateShellLink(link, viewer);
  }
  if (QueryFolder(CSIDL_COMMON_DESKTOPDIRECTORY, folder)) NotifyShellOfNewItem(folder);

  if (StartMenuLinkPath(link, kViewerLinkName) && haveViewer) CreateShellLink(link, viewer);
  if (StartMenuLinkPath(link, kUninstallLinkName) && haveUninstaller) {
    CreateShellLink(link, uninstaller);
    NotifyShellOfNewItem(link);
  }
}

}  // namespace qv::system

