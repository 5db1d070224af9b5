// SM3 through OpenSSL's EVP interface. The method is fetched once: an implicit fetch on
// every digest would cost a provider lookup per installed file.
#include "installer/package/sm3.h"

#include <openssl/evp.h>

#include <cstring>
#include <memory>

namespace qv::package {
namespace {

struct EvpMdFree {
  void operator()(EVP_MD* md) const { EVP_MD_free(md); }
};

const EVP_MD* Sm3Method() {
  static const std::unique_ptr<EVP_MD, EvpMdFree> method(EVP_MD_fetch(nullptr, "SM3", nullptr));
  return method.get();
}

}  // namespace

bool TrySm3Digest(const void* data, std::size_t size, std::uint8_t out[kSm3Size]) {
  static const std::uint8_t kEmpty = 0;
  const EVP_MD* md = Sm3Method();
  unsigned int length = 0;
  if (md != nullptr &&
      EVP_Digest(data != nullptr ? data : &kEmpty, size, out, &length, md, nullptr) == 1 &&
      length == kSm3Size) {
    return true;
  }
  std::memset(out, 0, kSm3Size);
  return false;
}

void Sm3Digest(const void* data, std::size_t size, std::uint8_t out[kSm3Size]) {
  TrySm3Digest(data, size, out);
}

}  // namespace qv::package
