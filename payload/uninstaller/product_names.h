// Names under which the installer leaves the product on a machine: what the uninstaller
// looks for and removes.
#pragma once

namespace qv::sample {

// HKLM, 64-bit view: "UninstallString" and "DisplayIcon" from the installer, the listing
// values from uninstall.reg.
inline constexpr char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
inline constexpr char kUninstallStringValue[] = "UninstallString";

// The four controls the installer registers, directly in the installation folder.
inline constexpr const char* kControlFiles[] = {"docrenderocx.ocx", "ConvertSeal.ocx", "ReadKeyInfo.ocx",
                                                "SealViews.ocx"};

// Shortcuts: one on the common desktop, two in a folder of the common start menu.
inline constexpr char kDesktopLinkName[] = "Qelvo电子印章阅读器.lnk";
inline constexpr char kStartMenuFolderName[] = "OstraQelvo";
inline constexpr char kViewerLinkName[] = "Qelvo电子印章阅读器.lnk";
inline constexpr char kUninstallLinkName[] = "卸载Qelvo电子印章.lnk";

}  // namespace qv::sample
