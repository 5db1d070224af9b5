// libFuzzer target over the two readers of untrusted package bytes. The first input byte
// picks the reader, the rest is the input:
//   odd  -> the bytes are an index file: LoadCatalog, then ReadEntry of every entry with the
//           same bytes as the stream file;
//   even -> the bytes are a blob: UnpackResourceToFile.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "installer/package/blob_unpack.h"
#include "installer/package/catalog.h"
#include "installer/package/extract.h"

namespace {

// Blobs may declare up to 4 GiB; the fuzzer's own allocation limit is lower, so inputs that
// would only measure the machine's memory are skipped.
constexpr std::uint32_t kMaxDeclaredSize = 1u << 20;
constexpr std::int32_t kMaxEntryBuffer = 1 << 20;

std::string g_base;

// Files are removed before they are written again: truncating a file that holds data makes
// ext4 flush it on close (auto_da_alloc), which costs milliseconds per input.
void WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::remove(path.c_str());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

void FuzzCatalog(const std::uint8_t* data, std::size_t size) {
  const std::string index = g_base + ".orxi";
  WriteAll(index, data, size);
  WriteAll(g_base + ".orxs", data, size);
  qv::package::PackageCatalog catalog;
  if (!qv::package::LoadCatalog(index, catalog)) return;
  std::vector<std::uint8_t> buffer;
  for (const auto& [name, entry] : catalog) {
    const std::int32_t room = entry.m_nLength < kMaxEntryBuffer ? entry.m_nLength : kMaxEntryBuffer;
    buffer.assign(room > 0 ? static_cast<std::size_t>(room) : 0, 0);
    qv::package::ReadEntry(name, buffer.data(), catalog, room);
  }
}

void FuzzBlob(const std::uint8_t* data, std::size_t size) {
  if (size >= 13) {
    const std::uint32_t low = data[5] | (data[6] << 8) | (data[7] << 16) | (std::uint32_t{data[8]} << 24);
    const std::uint32_t high = data[9] | data[10] | data[11] | data[12];
    if (high == 0 && low > kMaxDeclaredSize) return;
  }
  // A copy of exactly `size` bytes, so a read past the blob is caught.
  std::vector<std::uint8_t> blob(data, data + size);
  const std::string out = g_base + ".out";
  std::remove(out.c_str());
  qv::package::UnpackResourceToFile(blob.data(), blob.size(), out.c_str());
}

}  // namespace

void RemoveScratchFiles() {
  for (const char* suffix : {".orxi", ".orxs", ".out"}) std::remove((g_base + suffix).c_str());
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Scratch files live in memory when the machine offers a tmpfs.
  const char* tmp = std::getenv("TMPDIR");
  const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp != nullptr ? tmp : "/tmp");
  g_base = dir + "/qv-package-fuzz-" + std::to_string(getpid());
  std::atexit(RemoveScratchFiles);
  // The decoder's diagnostic lines are not interesting here.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    FuzzCatalog(data + 1, size - 1);
  } else {
    FuzzBlob(data + 1, size - 1);
  }
  return 0;
}
