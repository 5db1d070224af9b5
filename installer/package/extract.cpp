// Reading, verifying and writing one catalogue entry.
#include "installer/package/extract.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "installer/package/package_platform.h"
#include "installer/package/sm3.h"
#include "installer/package/stdio_file.h"

namespace qv::package {

bool ReadEntry(const std::string& name, std::uint8_t* buffer, const PackageCatalog& catalog,
               std::int32_t bufferSize) {
  const auto it = catalog.find(name);
  if (it == catalog.end()) return false;
  const PackageEntry& entry = it->second;
  if (entry.m_nLength > bufferSize) return false;
  if (entry.m_nLength < 0 || entry.m_nOffset < 0) return false;
  if (buffer == nullptr && entry.m_nLength > 0) return false;

  StdioFile stream = OpenStdioFile(entry.m_strStreamPath.c_str(), "rb");
  if (!stream) return false;
  const auto wanted = static_cast<std::size_t>(entry.m_nLength);
  std::size_t got = 0;
  if (std::fseek(stream.get(), entry.m_nOffset, SEEK_SET) == 0 && wanted > 0) {
    got = std::fread(buffer, 1, wanted, stream.get());
  }
  if (entry.m_bScrambled) Descramble(buffer, got);
  stream.reset();
  if (got != wanted) return false;

  std::uint8_t digest[kSm3Size];
  if (!TrySm3Digest(buffer, wanted, digest)) return false;
  return std::memcmp(digest, entry.m_digest.data(), kSm3Size) == 0;
}

bool ExtractEntry(const std::string& name, const PackageCatalog& catalog,
                  const std::string& destPath) {
  const auto it = catalog.find(name);
  if (it == catalog.end()) return false;
  const std::int32_t length = it->second.m_nLength;
  if (length <= 0) return false;

  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[length]);
  if (!buffer) return false;
  if (!ReadEntry(name, buffer.get(), catalog, length)) {
    // Unverified data is never installed: the report names the entry, and the caller's
    // retry prompt follows from the false result.
    ReportExtractError(name.c_str());
    return false;
  }

  StdioFile out = OpenStdioFile(destPath.c_str(), "wb");
  if (!out) return false;
  const auto size = static_cast<std::size_t>(length);
  const bool written = std::fwrite(buffer.get(), 1, size, out.get()) == size;
  if (!CloseChecked(out) || !written) {
    std::remove(destPath.c_str());
    return false;
  }
  return true;
}

}  // namespace qv::package
