// Turning one catalogue entry into one file: read, descramble, verify, write.
//
// The installation sequence, for every catalogue entry in ascending name order: enter the
// installation directory, MakeDirectoryChain(name without its first character), then
// ExtractEntry(name, catalog, installDir + that relative path); a false result prompts the
// user to retry.
// No windows.h here: this header builds on every platform.
#pragma once

#include <cstdint>
#include <string>

#include "installer/package/catalog.h"

namespace qv::package {

// Reads entry `name` from its stream file into `buffer` (bufferSize bytes).
//
// Returns false without opening any file when the name is not in the catalogue, its
// m_nLength is greater than bufferSize, or its offset or length is negative (or buffer is
// null for a non-empty entry). Otherwise opens m_strStreamPath ("rb"; false if it cannot),
// seeks to m_nOffset, reads m_nLength bytes in one read, descrambles what was read when
// m_bScrambled is set, and closes the file. Returns true exactly when all m_nLength bytes
// were read and their SM3 digest equals m_digest. Once reading started, the bytes read
// (descrambled) are in the buffer whatever the result; bytes past a short read are left
// untouched. Nothing is written outside buffer[0, m_nLength).
bool ReadEntry(const std::string& name, std::uint8_t* buffer, const PackageCatalog& catalog,
               std::int32_t bufferSize);

// Extracts entry `name` to the file destPath (full path).
//
// Returns false and creates no file when: the name is not in the catalogue; its m_nLength is
// 0 or negative; the read buffer cannot be allocated; or ReadEntry fails (missing or short
// stream data, digest mismatch) - in that last case the error report (ReportExtractError,
// text = name exactly as passed, caption "ORX解压错误!") is shown first and blocks until it
// is acknowledged. Otherwise opens destPath with "wb" (false if it cannot; nothing written),
// writes the m_nLength bytes in one write and returns true. A failed write or close removes
// the partial file and returns false. Corrupted data is never written.
bool ExtractEntry(const std::string& name, const PackageCatalog& catalog,
                  const std::string& destPath);

// Creates and enters, one after another, each directory named in relativePath before its
// last separator ('\\' or '/'), starting in the current directory; the text after the last
// separator (the file name) is never created. Empty components (leading or doubled
// separators) are skipped. The create call's failure is ignored (an existing directory is
// fine); a failed change of directory returns false at once, leaving the current directory
// where the previous steps left it. An empty path returns true and does nothing. On true
// the current directory is the deepest directory entered. The current directory is
// process-wide and is not restored.
bool MakeDirectoryChain(const char* relativePath);

}  // namespace qv::package
