#pragma once
// The installation's shell links: the viewer on the common desktop, and the viewer and the
// uninstaller in the common start-menu folder "OstraQelvo".
//
// Used last in the installation, after the registry entries. Paths are narrow text (system code
// page) in MAX_PATH (260-byte) buffers; a path that would not fit is refused and that link or
// notification skipped, never cut short. Results are not reported to the user.

namespace qv::system {

// Writes the shell link linkPath that starts targetPath in the target's folder (targetPath cut
// at its last '\\' or '/' after the first byte; whole when it has none). Only the path and the
// working directory are set. COM is initialised for this call alone (CoInitialize /
// CoUninitialize, the latter only when the former succeeded); IPersistFile::Save gets the link
// path converted to UTF-16 (at most 260 units) with fRemember TRUE.
// Returns 1 when the link was handed to Save (whose own result is not looked at), 0 when the
// link object or its IPersistFile could not be obtained, and also 0, without touching COM,
// when targetPath does not fit 260 bytes or linkPath does not fit 260 UTF-16 units, or
// either is null.
int CreateShellLink(const char* linkPath, const char* targetPath);

// Tells the shell that path was created (SHCNE_CREATE | SHCNE_INTERRUPT), cuts path at its
// last '\\' or '/' after the first byte so that it names the parent folder, and tells the shell
// that this folder changed (SHCNE_UPDATEDIR | SHCNE_INTERRUPT); both with
// SHCNF_PATHA | SHCNF_FLUSH. Without a separator the second notification names the unchanged
// text. path must be a writable zero-terminated text; on return the caller's buffer holds the
// parent folder. Only a terminator is written, inside the existing text, so any buffer that
// holds the text is large enough. A null path does nothing.
void NotifyShellOfNewItem(char* path);

// In this order:
//  1. CSIDL_COMMON_DESKTOPDIRECTORY + "\Qelvo电子印章阅读器.lnk" -> installDir + "\QVStampPage.exe";
//  2. NotifyShellOfNewItem(the common desktop folder): the desktop folder itself, then its parent;
//  3. the current directory becomes CSIDL_COMMON_PROGRAMS, "OstraQelvo" is created there by
//     that relative name (an existing one is reused), and
//     programs + "\OstraQelvo\Qelvo电子印章阅读器.lnk" -> installDir + "\QVStampPage.exe";
//  4. the same again for programs + "\OstraQelvo\卸载Qelvo电子印章.lnk" ->
//     installDir + "\uninstall.exe";
//  5. NotifyShellOfNewItem(the uninstall link): the link, then "OstraQelvo" (only when
//     link 4 was attempted).
// installDir ends in a backslash and is used unchanged, so targets hold two backslashes before
// the file name and each link's working directory is installDir with its trailing backslash.
// The backslash after a folder is left out when the folder text already ends in one. Folders
// are queried without creating them; a failed query skips the steps that need that folder
// (no path is built from an empty text). A link whose target or link path does not fit is
// skipped. When the programs folder could be entered, it stays the current directory.
// A null installDir does nothing.
void CreateShortcuts(const char* installDir);

}  // namespace qv::system
