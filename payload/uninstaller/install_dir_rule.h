// How the uninstaller decides which folder it may remove. No windows.h: plain text rules,
// with the code page's lead-byte test handed in so that a GBK character whose second byte is
// 0x5C is never taken for a backslash.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::sample {

// True when the byte starts a double-byte character of the system code page.
using LeadBytePredicate = bool (*)(unsigned char);

// The name every installation folder has; the uninstaller removes no folder of another name.
inline constexpr char kInstallFolderName[] = "QVStampReader";

// The installation folder that an "UninstallString" value names: the folder of the file it
// names, with a trailing backslash and '/' turned into '\\'. Surrounding blanks and one pair
// of enclosing double quotes are dropped. Returns nothing, so the caller falls back to the
// default folder, unless the value is an absolute path ("X:\..." or "\\server\share\...")
// to a file inside a folder named QVStampReader (any ASCII letter case), with no "." or ".."
// component and no wildcard, quote, colon (other than the drive's) or control character:
// a damaged or foreign value can never make the uninstaller remove another folder.
std::optional<std::string> InstallDirFromUninstallString(std::string_view value, LeadBytePredicate isLeadByte);

// The parent folder of a folder text (trailing separators ignored), without a trailing
// separator; empty when there is none.
std::string ParentFolder(std::string_view folder, LeadBytePredicate isLeadByte);

// True when `commandLine` (the whole text, program token first) holds the switch "/s" or "/S"
// as one of its arguments.
bool HasSilentSwitch(std::string_view commandLine);

}  // namespace qv::sample
