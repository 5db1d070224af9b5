// SM3 digest (GB/T 32905-2016, 32-byte output) over OpenSSL's libcrypto. The digest method
// is fetched once per process and reused by every call.
// No windows.h here: this header builds on every platform.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::package {

inline constexpr std::size_t kSm3Size = 32;

// Computes the digest of `size` bytes at `data` into out. Returns false (out zero-filled)
// only when libcrypto cannot provide SM3; callers that verify data must treat that as a
// mismatch.
bool TrySm3Digest(const void* data, std::size_t size, std::uint8_t out[kSm3Size]);

// Same as TrySm3Digest, result ignored.
void Sm3Digest(const void* data, std::size_t size, std::uint8_t out[kSm3Size]);

}  // namespace qv::package
