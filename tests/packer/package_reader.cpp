#include "package_reader.h"

#include <cstring>

#include "host_text.h"
#include "installer/package/blob_unpack.h"
#include "installer/package/package_format.h"
#include "installer/package/sm3.h"

namespace qvpack_test {

namespace pf = qv::package;

Decoded DecodeBlob(const fs::path& blob) {
  Decoded result;
  ScratchDir scratch;
  const std::string bytes = ReadFile(blob);
  const fs::path out = scratch / "decoded";
  result.ok = pf::UnpackResourceToFile(bytes.data(), bytes.size(), qvpack::NarrowPath(out).c_str());
  if (result.ok) result.bytes = ReadFile(out);
  return result;
}

std::vector<RawRecord> ParseIndex(const std::string& index) {
  std::vector<RawRecord> records;
  for (std::size_t at = pf::kIndexHeaderSize; at + pf::kRecordSize <= index.size(); at += pf::kRecordSize) {
    RawRecord r;
    r.flag = static_cast<std::uint8_t>(index[at]);
    std::uint8_t body[pf::kRecordBodySize];
    std::memcpy(body, index.data() + at + 1, sizeof body);
    if (r.flag == pf::kFlagScrambled) {
      for (std::uint8_t& b : body) b = pf::DescrambleByte(b);
    }
    r.name.assign(reinterpret_cast<const char*>(body), strnlen(reinterpret_cast<const char*>(body), pf::kNameFieldSize));
    std::memcpy(r.digest.data(), body + pf::kBodyDigest, 32);
    r.offset = static_cast<std::int32_t>(pf::GetLe32(body + pf::kBodyOffset));
    r.length = static_cast<std::int32_t>(pf::GetLe32(body + pf::kBodyLength));
    records.push_back(r);
  }
  return records;
}

std::string Scrambled(std::string plain) {
  for (char& c : plain) c = static_cast<char>(pf::ScrambleByte(static_cast<std::uint8_t>(c)));
  return plain;
}

std::string Sm3(const std::string& bytes) {
  std::uint8_t digest[32];
  pf::Sm3Digest(bytes.data(), bytes.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), 32);
}

}  // namespace qvpack_test
