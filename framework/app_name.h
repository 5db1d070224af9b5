// The application's name: what message boxes show when no caption is given.
#pragma once

#include <string>

namespace qv::fw {

// The file name of `modulePath` without its folder and without its extension: the text
// after the last '\\' or '/', cut before its last '.'. A name without a dot is kept whole;
// a name that is only an extension (".exe") gives "". Pure; no Win32.
std::string AppNameFromModulePath(const std::string& modulePath);

}  // namespace qv::fw
