#include "tests/package/package_fixtures.h"

#include <lzma.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include "installer/package/package_format.h"
#include "installer/package/sm3.h"

namespace qv::package::test {

TempDir::TempDir() {
  std::random_device rd;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() /
                     ("qvpkg-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temp folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return (path_ / name).string(); }

CurrentDirGuard::~CurrentDirGuard() {
  std::error_code ec;
  std::filesystem::current_path(saved_, ec);
}

void WriteFile(const std::string& path, const Bytes& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes SampleData(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes data(size);
  // Runs of words from a small alphabet: compressible but not trivially.
  for (std::size_t i = 0; i < size; ++i) {
    data[i] = (gen() % 4 == 0) ? static_cast<std::uint8_t>(gen()) : static_cast<std::uint8_t>('a' + gen() % 6);
  }
  return data;
}

Bytes IndexHeader() {
  Bytes header(kIndexHeaderSize, 0);
  std::memcpy(header.data(), kIndexBanner, kBannerLength);
  return header;
}

std::uint8_t ToolScramble(std::uint8_t plain) {
  const std::uint8_t x = static_cast<std::uint8_t>(plain ^ 0xA7);
  return static_cast<std::uint8_t>(((x & 0x0F) << 4) | (x >> 4));
}

Bytes MakeRecord(const RecordSpec& rec) {
  Bytes record(301, 0);
  record[0] = rec.flag;
  std::memcpy(&record[1], rec.name.data(), rec.name.size() < 260 ? rec.name.size() : 260);
  std::memcpy(&record[261], rec.digest, 32);
  PutLe32(&record[293], static_cast<std::uint32_t>(rec.offset));
  PutLe32(&record[297], static_cast<std::uint32_t>(rec.length));
  if (rec.flag == 1) {
    for (std::size_t i = 1; i < record.size(); ++i) record[i] = ToolScramble(record[i]);
  }
  return record;
}

RecordSpec SpecFor(const std::string& name, const Bytes& plain, std::int32_t offset, bool scrambled) {
  RecordSpec rec;
  rec.flag = scrambled ? 1 : 0;
  rec.name = name;
  Sm3Digest(plain.data(), plain.size(), rec.digest);
  rec.offset = offset;
  rec.length = static_cast<std::int32_t>(plain.size());
  return rec;
}

void SetDeclaredSize(Bytes& blob, std::uint64_t size) {
  for (int i = 0; i < 8; ++i) blob[5 + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

Bytes EncodeBlob(const Bytes& data) {
  lzma_options_lzma opt;
  if (lzma_lzma_preset(&opt, 6)) throw std::runtime_error("lzma preset");
  opt.dict_size = 1u << 20;
  lzma_stream strm = LZMA_STREAM_INIT;
  if (lzma_alone_encoder(&strm, &opt) != LZMA_OK) throw std::runtime_error("lzma_alone_encoder");
  Bytes out(data.size() + data.size() / 2 + 1024);
  strm.next_in = data.data();
  strm.avail_in = data.size();
  strm.next_out = out.data();
  strm.avail_out = out.size();
  const lzma_ret ret = lzma_code(&strm, LZMA_FINISH);
  const std::size_t produced = out.size() - strm.avail_out;
  lzma_end(&strm);
  if (ret != LZMA_STREAM_END) throw std::runtime_error("lzma_code");
  out.resize(produced);
  SetDeclaredSize(out, data.size());
  return out;
}

}  // namespace qv::package::test
