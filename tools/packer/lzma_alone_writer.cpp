#include "lzma_alone_writer.h"

#include "installer/package/package_format.h"

namespace qvpack {

namespace pf = qv::package;

LzmaAloneWriter::~LzmaAloneWriter() { lzma_end(&strm_); }

Status LzmaAloneWriter::Begin(std::FILE* out, std::string shown, std::uint64_t declared_size,
                              std::uint32_t preset) {
  out_ = out;
  shown_ = std::move(shown);
  declared_ = declared_size;

  lzma_options_lzma options;
  if (lzma_lzma_preset(&options, preset)) {
    return Status::Fail(ExitCode::kUsage, "unknown compression preset " + std::to_string(preset & 0xFF));
  }
  // The installer's blobs always carry lc 3, lp 0, pb 2 (0x5D) and a 16 MiB dictionary.
  options.dict_size = pf::kLzmaDictSize;
  options.lc = 3;
  options.lp = 0;
  options.pb = 2;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_ret ret = lzma_raw_encoder(&strm_, filters);
  if (ret != LZMA_OK) {
    return Status::Fail(ExitCode::kInternal,
                        "the LZMA encoder cannot start (liblzma error " + std::to_string(ret) + ")");
  }
  started_ = true;

  std::uint8_t header[pf::kBlobHeaderSize];
  header[0] = pf::kLzmaPropsByte;
  pf::PutLe32(header + 1, pf::kLzmaDictSize);
  pf::PutLe32(header + 5, static_cast<std::uint32_t>(declared_size));
  pf::PutLe32(header + 9, static_cast<std::uint32_t>(declared_size >> 32));
  if (std::fwrite(header, 1, sizeof header, out_) != sizeof header) {
    return Status::Fail(ExitCode::kOutputFailed, "cannot write " + shown_);
  }
  bytes_out_ = sizeof header;
  return Status::Ok();
}

Status LzmaAloneWriter::Write(const std::uint8_t* data, std::size_t size) {
  strm_.next_in = data;
  strm_.avail_in = size;
  bytes_in_ += size;
  return Run(LZMA_RUN);
}

Status LzmaAloneWriter::Finish() {
  if (bytes_in_ != declared_) {
    return Status::Fail(ExitCode::kInternal, shown_ + ": " + std::to_string(bytes_in_) +
                                                 " bytes encoded, " + std::to_string(declared_) +
                                                 " declared");
  }
  strm_.next_in = nullptr;
  strm_.avail_in = 0;
  return Run(LZMA_FINISH);
}

Status LzmaAloneWriter::Run(lzma_action action) {
  if (!started_) return Status::Fail(ExitCode::kInternal, "LZMA encoder used before Begin");
  for (;;) {
    strm_.next_out = buffer_;
    strm_.avail_out = sizeof buffer_;
    lzma_ret ret = lzma_code(&strm_, action);
    Status flushed = Flush();
    if (!flushed.ok()) return flushed;
    if (ret == LZMA_STREAM_END) return Status::Ok();
    if (ret != LZMA_OK) {
      return Status::Fail(ExitCode::kInternal,
                          "the LZMA encoder failed on " + shown_ + " (liblzma error " + std::to_string(ret) + ")");
    }
    // LZMA_RUN is done once all input is taken and the output buffer was not filled.
    if (action == LZMA_RUN && strm_.avail_in == 0 && strm_.avail_out != 0) return Status::Ok();
  }
}

Status LzmaAloneWriter::Flush() {
  std::size_t produced = sizeof buffer_ - strm_.avail_out;
  if (produced != 0 && std::fwrite(buffer_, 1, produced, out_) != produced) {
    return Status::Fail(ExitCode::kOutputFailed, "cannot write " + shown_);
  }
  bytes_out_ += produced;
  return Status::Ok();
}

}  // namespace qvpack
