// Where the installation lies that this uninstaller removes.
#pragma once

#include <optional>
#include <string>

namespace qv::sample {

// The installation folder, ending in a backslash. It is the folder of the "UninstallString"
// value of the uninstall entry (64-bit registry view first, then the 32-bit one) when that
// value passes InstallDirFromUninstallString, and
// otherwise the program-files folder followed by "\QVStampReader\" (the folder the installer
// always uses). It never depends on where the uninstaller itself was started from: the
// installer runs a copy from the temp folder. Nothing when neither source gives a folder.
// Must be called before the uninstall entry is removed.
std::optional<std::string> FindInstallDir();

// The lead-byte test of the system code page (GBK on the target systems).
bool IsSystemLeadByte(unsigned char byte);

}  // namespace qv::sample
