// The embedded package format, shared by the installer and the packing tool.
//
// A package is two LZMA-alone blobs embedded as resources "ORX" 129 and 130:
//   blob 129 -> package index file ("setupdir.orxi"), blob 130 -> package stream file
//   ("setupdir.orxs").
// Blob layout (little-endian): byte 0 properties (lc/lp/pb), bytes 1-4 dictionary size,
// bytes 5-12 uncompressed size (only the low 32 bits are supported), then raw LZMA data.
//
// Index file: a 512-byte header holding the banner and its NUL at byte 101 (the rest is
// zero filler), then IndexRecords of 301 bytes back to back. count = (size - 512) / 301;
// trailing bytes are ignored.
//
// IndexRecord: byte 0 flag (1 = body and data scrambled), then a 300-byte body:
//   body 0..259   entry name, NUL-terminated within the field
//   body 260..291 SM3 digest of the plain data
//   body 292..295 offset of the data in the stream file (int32 LE)
//   body 296..299 length of the data (int32 LE)
//
// Scrambling (packing tool): stored = swap_nibbles(plain ^ kPackageKey).
// Descrambling (installer): plain = swap_nibbles(stored) ^ kPackageKey - swap first, then XOR.
// No windows.h here: this header builds on every platform.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::package {

// The one-byte scramble key. Its two halves differ, so the order of the descramble
// steps matters.
inline constexpr std::uint8_t kPackageKey = 0xA7;

// The index banner: exactly 101 characters, its NUL is header byte 101.
inline constexpr char kIndexBanner[] =
    "QVStampReader package index of the Qelvo electronic seal reader setup, 301-byte records, (c) 2026 v1.";
inline constexpr std::size_t kBannerLength = 101;
static_assert(sizeof(kIndexBanner) == kBannerLength + 1, "banner must be 101 characters");

inline constexpr std::size_t kIndexHeaderSize = 512;
inline constexpr std::size_t kRecordSize = 301;
inline constexpr std::size_t kRecordBodySize = 300;

// Offsets inside a record (record offset = body offset + 1).
inline constexpr std::size_t kRecFlag = 0;
inline constexpr std::size_t kBodyName = 0;
inline constexpr std::size_t kNameFieldSize = 260;
inline constexpr std::size_t kBodyDigest = 260;
inline constexpr std::size_t kDigestSize = 32;
inline constexpr std::size_t kBodyOffset = 292;
inline constexpr std::size_t kBodyLength = 296;
inline constexpr std::uint8_t kFlagScrambled = 1;

// Blob header.
inline constexpr std::size_t kBlobHeaderSize = 13;
inline constexpr std::size_t kBlobPropsSize = 5;
inline constexpr std::uint8_t kLzmaPropsByte = 0x5D;          // lc 3, lp 0, pb 2
inline constexpr std::uint32_t kLzmaDictSize = 16u << 20;     // 16 MiB

// Largest offset + length that a record may describe (32-bit signed).
inline constexpr std::int64_t kMaxStreamSize = 0x7FFFFFFF;

// Resource ids and temp file names.
inline constexpr int kIndexResourceId = 129;
inline constexpr int kStreamResourceId = 130;
inline constexpr char kResourceType[] = "ORX";

inline constexpr std::uint8_t SwapNibbles(std::uint8_t b) {
  return static_cast<std::uint8_t>((b << 4) | (b >> 4));
}
// The packing tool's rule: XOR with the key, then swap the halves.
inline constexpr std::uint8_t ScrambleByte(std::uint8_t plain) {
  return SwapNibbles(static_cast<std::uint8_t>(plain ^ kPackageKey));
}
// The installer's rule: swap the halves, then XOR with the key.
inline constexpr std::uint8_t DescrambleByte(std::uint8_t stored) {
  return static_cast<std::uint8_t>(SwapNibbles(stored) ^ kPackageKey);
}

inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace qv::package
