// The application's name: what message boxes show when no caption is given.
#pragma once

#include <string>

namespace qv::fw {

// Tells whether a byte starts a two-byte character of the path's code page.
using LeadBytePredicate = bool (*)(unsigned char);

// The file name of `modulePath` without its folder and without its extension: the text
// after the last '\\' or '/', cut before its last '.'. A name without a dot is kept whole;
// a name that is only an extension (".exe") gives "". With `isLeadByte`, the second byte of
// a two-byte character (which may be 0x5C in GBK) is never taken for a separator or a dot.
// Pure; no Win32.
std::string AppNameFromModulePath(const std::string& modulePath, LeadBytePredicate isLeadByte = nullptr);

}  // namespace qv::fw
