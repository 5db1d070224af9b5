// Size probe: SM3 from the same libcrypto, called at its SM3 block functions
// (ossl_sm3_init/update/final, exported by the static library but declared only in
// OpenSSL's internal header), without the provider machinery that EVP brings along.
#include <cstddef>
#include <cstdio>

extern "C" {
struct Sm3Ctx {
  unsigned int A, B, C, D, E, F, G, H;
  unsigned int Nl, Nh;
  unsigned int data[16];
  unsigned int num;
};
int ossl_sm3_init(Sm3Ctx* c);
int ossl_sm3_update(Sm3Ctx* c, const void* data, std::size_t len);
int ossl_sm3_final(unsigned char* md, Sm3Ctx* c);
}

int main(int argc, char** argv) {
  const char* text = argc > 1 ? argv[1] : "abc";
  std::size_t size = 0;
  while (text[size]) ++size;
  Sm3Ctx ctx;
  unsigned char out[32];
  if (!ossl_sm3_init(&ctx) || !ossl_sm3_update(&ctx, text, size) || !ossl_sm3_final(out, &ctx)) return 1;
  for (unsigned char b : out) std::printf("%02x", b);
  std::printf("\n");
  return 0;
}
