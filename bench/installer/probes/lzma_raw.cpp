// Size probe: liblzma's raw LZMA1 decoder as the installer sets it up.
#include <lzma.h>

#include <cstdint>

int main(int argc, char**) {
  lzma_options_lzma opt{};
  opt.lc = 3;
  opt.pb = 2;
  opt.dict_size = 1 << 16;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream strm = LZMA_STREAM_INIT;
  if (lzma_raw_decoder(&strm, filters) != LZMA_OK) return 1;
  std::uint8_t in[16] = {}, out[16];
  strm.next_in = in;
  strm.avail_in = argc > 5 ? 16 : 0;
  strm.next_out = out;
  strm.avail_out = sizeof out;
  const lzma_ret ret = lzma_code(&strm, LZMA_RUN);
  lzma_end(&strm);
  return ret == LZMA_OK || ret == LZMA_BUF_ERROR ? 0 : 1;
}
