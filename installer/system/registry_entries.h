#pragma once
// The installer's registry entries: the uninstall entry, the ".esdf" file association, and the
// deletion of a key tree.
//
// Order of use by the installation: WriteUninstallEntry(installDir), then
// RegisterFileAssociation(installDir), after the component registrations and before the
// shortcuts. Every step stands alone: a key that can't be opened or created has its value
// skipped, nothing is reported and nothing undone. Values are REG_SZ narrow text (system code
// page) stored with their terminator.

#include <windows.h>

namespace qv::system {

// Deletes subKey below root with every key below it, deepest keys first.
// subKey is opened with KEY_ALL_ACCESS | KEY_WOW64_64KEY; its subkeys are taken one at a time
// at index 0 (RegEnumKeyExA, 512-byte name buffer) and deleted the same way. When a subkey can't
// be deleted (access denied, or something below it can't be) the walk stops there, so it never
// spins on the same key: that subkey, subKey and everything not yet visited stay. Finally
// RegDeleteKeyA(root, subKey), also when the open failed. A missing key changes nothing.
// A null or empty subKey is refused (it would name root itself).
void DeleteRegistryTree(HKEY root, const char* subKey);

// HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Qelvo电子印章阅读器"
// (GBK): "UninstallString" = installDir + "uninstall.exe", then, with the key opened a second
// time, "DisplayIcon" = installDir + "application.ico". Each value is attempted even when the
// other failed. No other value is written. A null installDir writes nothing.
void WriteUninstallEntry(const char* installDir);

// 1. DeleteRegistryTree(HKEY_CURRENT_USER,
//    "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.esdf");
// 2. HKEY_CLASSES_ROOT ".esdf\DefaultIcon", default value = installDir + "QVStampPage.exe,0";
// 3. HKEY_CLASSES_ROOT ".esdf\shell\open\command", default value =
//    installDir + "QVStampPage.exe \"%1\"" (only the placeholder is quoted);
// 4. SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST) in every case, also when writes failed.
// The ".esdf" key itself gets no value. A null installDir skips steps 2 and 3.
void RegisterFileAssociation(const char* installDir);

}  // namespace qv::system
