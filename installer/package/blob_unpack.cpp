// Decodes an LZMA-alone blob with liblzma's raw LZMA1 decoder: the header is read here, the
// decoder is given the properties, and one lzma_code pass fills one output buffer of the
// declared size.
#include "installer/package/blob_unpack.h"

#include <lzma.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "installer/package/package_format.h"
#include "installer/package/stdio_file.h"

namespace qv::package {
namespace {

// The error numbers printed as "LzmaUncompress:%d".
enum : int {
  kUnpackOk = 0,
  kErrorData = 1,
  kErrorMemory = 2,
  kErrorUnsupported = 4,
  kErrorInputEof = 6,
};

// liblzma refuses lc + lp above this for LZMA1.
constexpr unsigned kMaxLcPlusLp = 4;
constexpr std::uint8_t kMaxPropsByte = (4 * 5 + 4) * 9 + 8;  // 224

class LzmaDecoder {
 public:
  LzmaDecoder() = default;
  ~LzmaDecoder() { lzma_end(&stream_); }
  LzmaDecoder(const LzmaDecoder&) = delete;
  LzmaDecoder& operator=(const LzmaDecoder&) = delete;
  lzma_stream* get() { return &stream_; }

 private:
  lzma_stream stream_ = LZMA_STREAM_INIT;
};

int MapLzmaResult(lzma_ret ret) {
  switch (ret) {
    case LZMA_MEM_ERROR:
    case LZMA_MEMLIMIT_ERROR:
      return kErrorMemory;
    case LZMA_OPTIONS_ERROR:
    case LZMA_FORMAT_ERROR:
      return kErrorUnsupported;
    case LZMA_BUF_ERROR:
      return kErrorInputEof;
    default:
      return kErrorData;
  }
}

// Fills LZMA1 options from the five property bytes; false when they are unsupported.
bool DecodeProperties(const std::uint8_t* props, std::size_t outSize, lzma_options_lzma& opt) {
  std::memset(&opt, 0, sizeof(opt));
  unsigned byte = props[0];
  if (byte > kMaxPropsByte) return false;
  opt.lc = byte % 9;
  byte /= 9;
  opt.lp = byte % 5;
  opt.pb = byte / 5;
  if (opt.lc + opt.lp > kMaxLcPlusLp) return false;
  // A match never reaches further back than the output produced so far, so a dictionary
  // larger than the output is never used: capping it saves memory and refuses nothing.
  std::uint64_t dict = GetLe32(props + 1);
  const std::uint64_t cap = outSize < LZMA_DICT_SIZE_MIN ? LZMA_DICT_SIZE_MIN : outSize;
  if (dict > cap) dict = cap;
  opt.dict_size = static_cast<std::uint32_t>(dict);
  return true;
}

// Decodes data into out until out is full or an end marker comes. Returns kUnpackOk with
// the count produced, or an error number.
int DecodeInto(const std::uint8_t* props, const std::uint8_t* data, std::size_t dataSize,
               std::uint8_t* out, std::size_t outSize, std::size_t& produced) {
  produced = 0;
  lzma_options_lzma opt;
  if (!DecodeProperties(props, outSize, opt)) return kErrorUnsupported;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
  LzmaDecoder decoder;
  lzma_stream* strm = decoder.get();
  lzma_ret ret = lzma_raw_decoder(strm, filters);
  if (ret != LZMA_OK) return MapLzmaResult(ret);
  strm->next_in = data;
  strm->avail_in = dataSize;
  strm->next_out = out;
  strm->avail_out = outSize;
  // liblzma decodes until the input or the output is used up; the loop only guards
  // against a decoder that returns early, and a call without progress ends in
  // LZMA_BUF_ERROR.
  for (;;) {
    ret = lzma_code(strm, LZMA_RUN);
    produced = outSize - strm->avail_out;
    if (ret == LZMA_STREAM_END) return kUnpackOk;  // end marker before the buffer was full
    if (ret != LZMA_OK) return MapLzmaResult(ret);
    if (strm->avail_out == 0) return kUnpackOk;
    if (strm->avail_in == 0) return kErrorInputEof;
  }
}

bool Fail(int error) {
  std::printf("LzmaUncompress:%d\n", error);
  std::fflush(stdout);
  return false;
}

}  // namespace

bool UnpackResourceToFile(const void* blob, std::size_t blobSize, const char* outPath) {
  StdioFile file = OpenStdioFile(outPath, "wb");
  if (!file) {
    std::printf("Open DesFile ERR:%s\n", outPath);
    std::fflush(stdout);
    return false;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(blob);
  if (bytes == nullptr || blobSize < kBlobHeaderSize) return Fail(kErrorInputEof);
  if (GetLe32(bytes + kBlobPropsSize + 4) != 0) return Fail(kErrorUnsupported);
  const std::size_t outSize = GetLe32(bytes + kBlobPropsSize);

  std::unique_ptr<std::uint8_t[]> out(new (std::nothrow) std::uint8_t[outSize ? outSize : 1]);
  if (!out) return Fail(kErrorMemory);

  std::size_t produced = 0;
  const int error = DecodeInto(bytes, bytes + kBlobHeaderSize, blobSize - kBlobHeaderSize,
                               out.get(), outSize, produced);
  if (error != kUnpackOk) return Fail(error);

  const bool written = std::fwrite(out.get(), 1, produced, file.get()) == produced;
  return CloseChecked(file) && written;
}

}  // namespace qv::package
