// SM3 from OpenSSL's libcrypto.
//
// Windows builds link our own static libcrypto and call its SM3 block functions directly
// (QV_SM3_DIRECT): going through EVP would pull the whole provider framework into the
// installer, about 1.3 MB of a 2 MB program, for one digest. The host links the system's
// shared libcrypto, which exports only EVP; there the method is fetched once, since an
// implicit fetch on every digest would cost a provider lookup per installed file.
#include "installer/package/sm3.h"

#include <cstring>

#if defined(QV_SM3_DIRECT)
extern "C" {
#include <internal/sm3.h>
}

namespace qv::package {

bool TrySm3Digest(const void* data, std::size_t size, std::uint8_t out[kSm3Size]) {
  SM3_CTX context;
  if (ossl_sm3_init(&context) == 1 && (size == 0 || ossl_sm3_update(&context, data, size) == 1) &&
      ossl_sm3_final(out, &context) == 1) {
    return true;
  }
  std::memset(out, 0, kSm3Size);
  return false;
}

#else
#include <openssl/evp.h>

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

#endif

void Sm3Digest(const void* data, std::size_t size, std::uint8_t out[kSm3Size]) {
  TrySm3Digest(data, size, out);
}

}  // namespace qv::package
