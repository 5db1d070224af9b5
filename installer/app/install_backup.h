// The installer's backup copy of itself in the installation directory.
#pragma once

#include <string>

namespace qv::setup {

// Copies the running installer's executable (GetModuleFileNameA into a zero-filled
// 1024-byte buffer) byte for byte to installDir + "qvsetup_bk.exe", read whole into one
// block and written in one write. Nothing is reported. Skipped when the module path does
// not fit the buffer (a cut path could name another file), when the executable cannot be
// opened or read whole, or when the backup cannot be opened; a backup whose write or close
// fails is removed again rather than left cut short.
void CopyOwnExecutable(const std::string& installDir);

}  // namespace qv::setup
