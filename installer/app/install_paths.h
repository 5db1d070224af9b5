// The installation directory and the limits of every text built from it. Plain C++: no
// windows.h.
//
// installDir = <program-files folder> + "\QVStampReader\". It always ends in a backslash and
// every path of the installation is formed by appending to it without a separator:
//
//   text                                                  buffer (bytes, terminator included)
//   installDir                                            260 (MAX_PATH)
//   installDir + relative path of each catalogue entry    260 (the file's destination)
//   installDir + "qvsetup_bk.exe"                         260 (the installer's backup copy)
//   "/s \"" + installDir + "\docrenderocx.ocx\"" and the
//     five other registration parameters                  264 (RegisterComponents)
//   installDir + "\QVStampPage.exe", + "\uninstall.exe"   260 (CreateShortcuts' link targets)
//
// (The registry values of WriteUninstallEntry and RegisterFileAssociation are built in
// strings of any length.) The system functions refuse a text that does not fit and skip
// that one launch or link without a word; the installation therefore checks all of them
// before it writes anything into the directory and refuses the directory as a whole
// (InstallTextsFit) instead of installing something that is only partly registered.
#pragma once

#include <cstddef>
#include <string>

#include "installer/package/catalog.h"

namespace qv::setup {

inline constexpr std::size_t kPathBufferSize = 260;       // MAX_PATH
inline constexpr char kInstallFolderName[] = "QVStampReader";
inline constexpr char kBackupFileName[] = "qvsetup_bk.exe";

// programFiles + "\QVStampReader\".
std::string InstallDirFor(const std::string& programFiles);

// The entry's path below the installation directory: its name without the first character
// ("\bin\x.dll" -> "bin\x.dll"). Empty for an empty name.
std::string EntryRelativePath(const std::string& entryName);

// True when installDir and every text in the table above, for every entry of catalog, fit
// their buffers.
bool InstallTextsFit(const std::string& installDir, const qv::package::PackageCatalog& catalog);

}  // namespace qv::setup
