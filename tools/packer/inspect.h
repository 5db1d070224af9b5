// Reading a package back: `qvpack list`, `qvpack verify` and `qvpack unpack`. All three
// go through the installer's own package code (UnpackResourceToFile, LoadCatalog,
// ReadEntry, MakeDirectoryChain, ExtractEntry), so they see a package as the installer
// will.
#pragma once

#include <cstdio>
#include <filesystem>

#include "status.h"

namespace qvpack {

// Prints one line per entry in catalogue order to `out`:
//   name TAB length TAB offset TAB scrambled|plain TAB SM3 digest (hex)
// The name is shown as the terminal expects (UTF-8 on POSIX), control characters as '?'.
Status ListPackage(const std::filesystem::path& blob_dir, std::FILE* out);

// Reads every entry, descrambles it and checks its SM3 digest. Each failing entry is named
// on standard error; then one summary line goes to `out`. kVerifyFailed when any entry
// fails (an entry of 0 bytes counts as failing: the installer cannot install it).
Status VerifyPackage(const std::filesystem::path& blob_dir, std::FILE* out);

// Writes every entry below `dest` (created if missing) as the installer does: for each
// entry in catalogue order enter `dest`, MakeDirectoryChain(relative path), then
// ExtractEntry. Entries that fail verification are named and not written, and the rest
// go on (kVerifyFailed at the end); a file that cannot be written stops the run
// (kOutputFailed). The current directory is put back afterwards.
Status UnpackPackage(const std::filesystem::path& blob_dir, const std::filesystem::path& dest);

}  // namespace qvpack
