// Removing the registry content of an installation: the uninstall entry, the ".esdf"
// association and what the two registry scripts added.
#pragma once

namespace qv::sample {

// Deletes the values that the installer and the scripts uninstall.reg and shell.reg write,
// then each of their keys that is left without values and subkeys (deepest first), in the
// 64-bit and then the 32-bit registry view; then tells the shell that associations changed. Anything another program
// put into those keys stays, and so do the keys holding it. Values and keys already gone
// count as removed. Returns false when something present could not be removed.
bool RemoveRegistryEntries();

}  // namespace qv::sample
