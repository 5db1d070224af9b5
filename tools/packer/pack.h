// `qvpack pack`: turns a payload folder into the installer's two package blobs,
// OUT_DIR/index.blob (resource 129) and OUT_DIR/stream.blob (resource 130).
//
// The files are stored in catalogue order (entry names as unsigned bytes), and their data
// lies in the stream in that same order, so extraction reads the stream front to back.
// Each file is read whole, digested (SM3 of the plain bytes), scrambled unless plain
// output is asked for, and fed to the encoder; one file's data is held at a time. Both
// blobs are written under temporary names in OUT_DIR and renamed only when both are
// complete: a failed run leaves neither. The same payload and options give the same bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "lzma_alone_writer.h"
#include "status.h"

namespace qvpack {

struct PackOptions {
  bool scramble = true;
  bool skip_empty = false;
  std::uint32_t preset = kDefaultPreset;
  bool progress = false;                           // progress line on standard error
  std::function<void(const std::string&)> warn;    // warnings (skipped files)
  // Test seam: called with each file's path after the folder was walked and just before
  // the file is read.
  std::function<void(const std::filesystem::path&)> before_read;
};

Status Pack(const std::filesystem::path& payload_dir, const std::filesystem::path& out_dir,
            const PackOptions& options);

}  // namespace qvpack
