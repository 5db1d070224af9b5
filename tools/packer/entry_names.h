// Rules for the GBK entry names that the packing tool stores. A name is a backslash
// followed by the path below the payload folder with backslash separators.
//
// Besides the record's limit (259 bytes), a name must be one that the installer can
// create on Windows exactly as named:
//  - no character Windows refuses in a file name (< > : " | ? * and control characters),
//    no component ending in a dot or a space, no device name (CON, NUL, COM1...);
//  - no GBK character whose second byte is 0x5C: the installer walks names byte by byte
//    and would take that byte for a folder separator;
//  - no two files whose names differ only in ASCII letter case, and no file named like a
//    folder on another file's path (Windows ignores case: the second file would overwrite
//    the first, or a file would stand where a folder must be).
#pragma once

#include <string>
#include <vector>

#include "status.h"

namespace qvpack {

// Longest entry name the 260-byte record field can hold with its NUL.
inline constexpr std::size_t kMaxEntryName = 259;

// Checks one file or folder name (GBK) before it joins an entry name: a backslash in it
// (a legal character in POSIX names) would split it into folders. Returns kNameUnusable.
Status CheckComponent(const std::string& component, const std::string& shown);

// Checks one entry name (GBK, with its leading backslash); the message shows `shown`
// (the file's path as the host spells it). Returns kNameTooLong or kNameUnusable.
Status CheckEntryName(const std::string& name, const std::string& shown);

// The name with ASCII letters lowered, GBK double-byte characters left whole.
std::string FoldEntryName(const std::string& name);

// Checks a package's names for case clashes, between two files or between a file and a
// folder on another file's path. Returns kNameClash naming both entries.
Status CheckNameClashes(const std::vector<std::string>& names);

}  // namespace qvpack
