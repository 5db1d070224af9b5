// A minimal Windows program that links parts of the package code, built in four forms to
// measure what each dependency adds: PROBE_BASE (file I/O only), PROBE_LZMA (blob
// unpacking through liblzma), PROBE_SM3 (SM3 through libcrypto), PROBE_BOTH.
#include <cstdint>
#include <cstdio>
#include <vector>

#if defined(PROBE_LZMA) || defined(PROBE_BOTH)
#include "installer/package/blob_unpack.h"
#endif
#if defined(PROBE_SM3) || defined(PROBE_BOTH)
#include "installer/package/sm3.h"
#endif

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::vector<std::uint8_t> bytes;
  if (std::FILE* in = std::fopen(argv[1], "rb")) {
    int c;
    while ((c = std::fgetc(in)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(in);
  }
  int result = 0;
#if defined(PROBE_LZMA) || defined(PROBE_BOTH)
  if (!qv::package::UnpackResourceToFile(bytes.data(), bytes.size(), argv[2])) result |= 1;
#endif
#if defined(PROBE_SM3) || defined(PROBE_BOTH)
  std::uint8_t digest[qv::package::kSm3Size];
  qv::package::Sm3Digest(bytes.data(), bytes.size(), digest);
  std::printf("%02x\n", digest[0]);
#endif
#if defined(PROBE_BASE)
  if (std::FILE* out = std::fopen(argv[2], "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
#endif
  return result;
}
