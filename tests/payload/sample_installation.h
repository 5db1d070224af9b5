// An installation of the staged sample payload as the installer leaves it, made with the
// installer's own system steps, and checks of what an installation leaves on the machine.
#pragma once

#include <string>

namespace qv::payload_test {

// "<program files>\QVStampReader\", where the installer installs.
std::string DefaultInstallDir();

// Copies the staged payload into installDir (ending in a backslash) with the installer's
// backup copy "qvsetup_bk.exe", then runs what the installer runs after extracting:
// RegisterComponents (from the folder of the last entry, "zudu"), WriteUninstallEntry,
// RegisterFileAssociation and CreateShortcuts. The current folder is restored afterwards.
// Reports gtest failures when the copy fails.
void InstallSample(const std::string& installDir);

// Every trace the installation leaves is present / gone (gtest expectations).
void ExpectInstalled(const std::string& installDir);
void ExpectRemoved(const std::string& installDir);

// The three shortcut files and the start-menu folder.
std::string DesktopLink();
std::string StartMenuFolder();  // no trailing backslash
std::string ViewerLink();
std::string UninstallLink();

}  // namespace qv::payload_test
