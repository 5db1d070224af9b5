// Unregistering the four controls that the installer registered with regsvr32.
#pragma once

#include <string>

namespace qv::sample {

// Calls DllUnregisterServer of each control file in `installDir` (ending in a backslash),
// as regsvr32 /u does, inside this process with OLE initialised. A control file that is
// already gone is skipped. Returns false when a present control could not be loaded, has no
// DllUnregisterServer, or reported a failure; the other controls are still unregistered.
bool UnregisterControls(const std::string& installDir);

}  // namespace qv::sample
