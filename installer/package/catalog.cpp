// Reading the package index into the catalogue. Every record is parsed and checked into a
// temporary list first, so an index with one bad record changes nothing.
#include "installer/package/catalog.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "installer/package/stdio_file.h"

namespace qv::package {
namespace {

constexpr char kIndexMark[] = ".orxi";
constexpr char kStreamSuffix[] = "orxs";
constexpr std::size_t kReplacedSuffixLength = 4;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "..", and names Windows trims to it (".. ", "...", ". .").
bool IsParentLike(std::string_view component) {
  std::size_t dots = 0;
  for (char c : component) {
    if (c == '.') {
      ++dots;
    } else if (c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

bool HasBanner(const std::uint8_t* header) {
  return std::memcmp(header, kIndexBanner, kBannerLength) == 0 && header[kBannerLength] == 0;
}

// Decodes one 301-byte record; false when it is not safe to install.
bool ParseRecord(const std::uint8_t* record, const std::string& streamPath, PackageEntry& entry) {
  std::uint8_t body[kRecordBodySize];
  std::memcpy(body, record + 1, kRecordBodySize);
  const bool scrambled = record[kRecFlag] == kFlagScrambled;
  if (scrambled) Descramble(body, kRecordBodySize);

  const void* nul = std::memchr(body + kBodyName, 0, kNameFieldSize);
  if (nul == nullptr) return false;
  const auto nameLength = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - body);
  const auto offset = static_cast<std::int32_t>(GetLe32(body + kBodyOffset));
  const auto length = static_cast<std::int32_t>(GetLe32(body + kBodyLength));
  if (offset < 0 || length < 0 ||
      static_cast<std::int64_t>(offset) + length > kMaxStreamSize) {
    return false;
  }
  entry.m_strName.assign(reinterpret_cast<const char*>(body + kBodyName), nameLength);
  if (!IsSafeEntryName(entry.m_strName)) return false;
  entry.m_strStreamPath = streamPath;
  entry.m_nOffset = offset;
  entry.m_nLength = length;
  std::memcpy(entry.m_digest.data(), body + kBodyDigest, kDigestSize);
  entry.m_bScrambled = scrambled;
  return true;
}

// Reads and checks every record; false on a short read or an unsafe record.
bool ReadRecords(std::FILE* file, long count, const std::string& streamPath,
                 std::vector<PackageEntry>& entries) {
  if (count <= 0) return true;
  if (std::fseek(file, static_cast<long>(kIndexHeaderSize), SEEK_SET) != 0) return false;
  std::uint8_t record[kRecordSize];
  for (long i = 0; i < count; ++i) {
    if (std::fread(record, 1, kRecordSize, file) != kRecordSize) return false;
    PackageEntry entry;
    if (!ParseRecord(record, streamPath, entry)) return false;
    entries.push_back(std::move(entry));
  }
  return true;
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
  if (name.size() < 2 || name.find('\0') != std::string_view::npos) return false;
  const std::string_view path = name.substr(1);
  if (path.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (IsParentLike(path.substr(start, i - start))) return false;
      start = i + 1;
    }
  }
  return true;
}

bool LoadCatalog(const std::string& indexPath, PackageCatalog& catalog) {
  if (indexPath.find(kIndexMark) == std::string::npos) return false;
  StdioFile file = OpenStdioFile(indexPath.c_str(), "rb");
  if (!file) return false;

  std::uint8_t header[kIndexHeaderSize] = {};
  std::fread(header, 1, sizeof(header), file.get());
  if (std::ferror(file.get()) || !HasBanner(header)) return false;

  const std::string streamPath =
      indexPath.substr(0, indexPath.size() - kReplacedSuffixLength) + kStreamSuffix;

  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long size = std::ftell(file.get());
  if (size < 0) return false;
  const long headerSize = static_cast<long>(kIndexHeaderSize);
  const long count = size > headerSize ? (size - headerSize) / static_cast<long>(kRecordSize) : 0;

  std::vector<PackageEntry> entries;
  if (!ReadRecords(file.get(), count, streamPath, entries)) return false;
  file.reset();

  for (PackageEntry& entry : entries) {
    PackageEntry& slot = catalog[entry.m_strName];
    slot = std::move(entry);
  }
  return true;
}

}  // namespace qv::package
