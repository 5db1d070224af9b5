// The package index and the in-memory catalogue built from it.
//
// Index file ("setupdir.orxi"): a 512-byte header, then 301-byte records back to back.
//   Header: the 101-character banner (kIndexBanner), its NUL at byte 101, then filler that
//   is not looked at. count = (file size - 512) / 301; trailing bytes are ignored.
//   Record: byte 0 flag (1 = body and data scrambled, any other value = plain), then the
//   300-byte body, descrambled as a whole before any field is read when the flag is 1:
//     body   0..259  entry name, NUL-terminated within the field
//     body 260..291  SM3 digest of the entry's plain data
//     body 292..295  offset of the data in the stream file, int32 little-endian
//     body 296..299  length of the data, int32 little-endian
// Stream file ("setupdir.orxs"): no structure of its own; an entry's data is the m_nLength
//   bytes at m_nOffset, scrambled when the entry's flag byte was 1.
// Entry names are relative paths whose first character is not part of the path (the
//   installer drops it); '\\' and '/' both separate directories.
// Scramble rule: stored = swap_nibbles(plain ^ PackageKey) (the packing tool);
//   plain = swap_nibbles(stored) ^ PackageKey (Descramble: swap first, then XOR).
// No windows.h here: this header builds on every platform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "installer/package/package_format.h"

namespace qv::package {

// The one-byte scramble key shared with the packing tool.
inline constexpr std::uint8_t PackageKey = kPackageKey;

// Descrambles `count` bytes of `buf` in place (swap the two halves of each byte, then XOR
// with PackageKey).
void Descramble(std::uint8_t* buf, std::size_t count);

// The packing tool's direction (XOR with PackageKey, then swap the halves), in place.
void Scramble(std::uint8_t* buf, std::size_t count);

// One catalogue record.
struct PackageEntry {
  std::string m_strName;        // entry name as stored in the record (up to its NUL)
  std::string m_strStreamPath;  // package stream file holding the data
  std::int32_t m_nOffset = 0;   // body bytes 292..295
  std::int32_t m_nLength = 0;   // body bytes 296..299
  std::array<std::uint8_t, kDigestSize> m_digest{};  // body bytes 260..291
  bool m_bScrambled = false;    // true exactly when the record's flag byte was 1
};

// Catalogue key order: names compare byte by byte as unsigned bytes; when one is a prefix
// of the other, the shorter sorts first ("B" < "a" < "ab"; bytes >= 0x80 after ASCII).
struct EntryNameLess {
  bool operator()(const std::string& a, const std::string& b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;  // memcmp compares unsigned
    return c < 0 || (c == 0 && a.size() < b.size());
  }
};

// Entry name -> entry, iterated in ascending name order. operator[] is insert-or-find,
// find() the exact lookup.
using PackageCatalog = std::map<std::string, PackageEntry, EntryNameLess>;

// True when `name` is a name the installer accepts: at least two characters, and its
// relative path (the name without its first character, split at '\\' and '/') contains no
// ':' and no component made only of dots and spaces with two or more dots (".." and the
// forms Windows trims to it). The packing tool should refuse any other name.
bool IsSafeEntryName(std::string_view name);

// Reads the index file at indexPath and adds its entries to `catalog`.
//
// Returns false, catalogue unchanged, when:
//   - indexPath does not contain ".orxi" (case-sensitive, anywhere; no file is opened);
//   - the file cannot be opened or read;
//   - header bytes 0..100 are not the banner or header byte 101 is not NUL (bytes after it
//     are not looked at);
//   - any record is unsafe: its name field has no NUL in its 260 bytes, or the name fails
//     IsSafeEntryName, or its offset or length is negative, or offset + length exceeds
//     2^31 - 1. Every record is checked before any is added.
// Otherwise returns true. Each record sets all six fields of the entry of its name (a later
// record of the same name replaces an earlier one completely; other entries stay). The
// stream path of every entry is indexPath without its last four characters plus "orxs"
// ("x/setupdir.orxi" -> "x/setupdir.orxs", "a.orxi.tmp" -> "a.orxiorxs"). An index with no
// records, including one shorter than 512 bytes that carries the banner, adds nothing and
// returns true.
bool LoadCatalog(const std::string& indexPath, PackageCatalog& catalog);

}  // namespace qv::package
