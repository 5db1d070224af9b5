#include "index_builder.h"

#include <algorithm>
#include <cstring>

#include "installer/package/catalog.h"

namespace qvpack {

namespace pf = qv::package;

std::vector<std::uint8_t> BuildIndex(const std::vector<IndexEntry>& entries, bool scramble) {
  std::vector<std::uint8_t> index(pf::kIndexHeaderSize + pf::kRecordSize * entries.size(), 0);
  std::memcpy(index.data(), pf::kIndexBanner, sizeof pf::kIndexBanner);
  std::uint8_t* record = index.data() + pf::kIndexHeaderSize;
  for (const IndexEntry& entry : entries) {
    record[pf::kRecFlag] = scramble ? pf::kFlagScrambled : 0;
    std::uint8_t* body = record + 1;
    // The name field stays NUL-terminated: names are checked to be at most 259 bytes.
    std::memcpy(body + pf::kBodyName, entry.name.data(), std::min(entry.name.size(), pf::kNameFieldSize - 1));
    std::memcpy(body + pf::kBodyDigest, entry.digest, pf::kDigestSize);
    pf::PutLe32(body + pf::kBodyOffset, entry.offset);
    pf::PutLe32(body + pf::kBodyLength, entry.length);
    if (scramble) pf::Scramble(body, pf::kRecordBodySize);
    record += pf::kRecordSize;
  }
  return index;
}

}  // namespace qvpack
