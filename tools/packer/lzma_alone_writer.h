// Writes one LZMA-alone blob as the installer reads it: a 13-byte header (properties byte
// 0x5D, the 16 MiB dictionary, the real uncompressed size as 64 bits) and then the raw
// LZMA1 data, which ends with an end marker. The header is written here rather than by
// liblzma's alone encoder, which stores the size as "unknown" (all ones).
//
// Order of calls: Begin once, Write any number of times, Finish once. The data is encoded
// as it arrives; nothing but the encoder's own window is held. Finish fails unless
// exactly the declared number of bytes was written. The same input and preset always
// give the same bytes.
#pragma once

#include <lzma.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "status.h"

namespace qvpack {

// The strongest setting, the default.
inline constexpr std::uint32_t kDefaultPreset = 9 | LZMA_PRESET_EXTREME;

class LzmaAloneWriter {
 public:
  LzmaAloneWriter() = default;
  ~LzmaAloneWriter();
  LzmaAloneWriter(const LzmaAloneWriter&) = delete;
  LzmaAloneWriter& operator=(const LzmaAloneWriter&) = delete;

  // Starts a blob at the current position of `out` (which stays owned by the caller;
  // `shown` names it in messages). `preset` is an xz preset level 0-9, optionally
  // with LZMA_PRESET_EXTREME; the dictionary is 16 MiB whatever the preset.
  Status Begin(std::FILE* out, std::string shown, std::uint64_t declared_size, std::uint32_t preset);
  Status Write(const std::uint8_t* data, std::size_t size);
  // Flushes the encoder and the end marker. The file is not closed.
  Status Finish();

  std::uint64_t bytes_in() const { return bytes_in_; }
  std::uint64_t bytes_out() const { return bytes_out_; }

 private:
  Status Run(lzma_action action);
  Status Flush();

  std::FILE* out_ = nullptr;
  std::string shown_;
  lzma_stream strm_ = LZMA_STREAM_INIT;
  bool started_ = false;
  std::uint64_t declared_ = 0;
  std::uint64_t bytes_in_ = 0;
  std::uint64_t bytes_out_ = 0;
  std::uint8_t buffer_[1 << 16];
};

}  // namespace qvpack
