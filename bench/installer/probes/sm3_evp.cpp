// Size probe: SM3 as the installer computes it, through EVP with a fetched method.
#include <openssl/evp.h>

#include <cstdio>

int main(int argc, char** argv) {
  EVP_MD* md = EVP_MD_fetch(nullptr, "SM3", nullptr);
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  const char* text = argc > 1 ? argv[1] : "abc";
  std::size_t size = 0;
  while (text[size]) ++size;
  const int ok = md != nullptr && EVP_Digest(text, size, out, &length, md, nullptr) == 1;
  EVP_MD_free(md);
  if (!ok) return 1;
  for (unsigned int i = 0; i < length; ++i) std::printf("%02x", out[i]);
  std::printf("\n");
  return 0;
}
