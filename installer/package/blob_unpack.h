// Unpacking one embedded package blob into a file.
//
// A blob has the LZMA-alone layout (all integers little-endian):
//   offset 0   1 byte   LZMA properties byte, (pb * 5 + lp) * 9 + lc
//   offset 1   4 bytes  dictionary size
//   offset 5   8 bytes  uncompressed size; only sizes that fit in 32 bits are supported
//   offset 13  ...      raw LZMA data
// Bytes 0-4 are the five LZMA property bytes handed to the decoder. The shipped blobs use
// properties 0x5D (lc 3, lp 0, pb 2) and a 16 MiB dictionary, but any valid header decodes.
// No windows.h here: this header builds on every platform.
#pragma once

#include <cstddef>

namespace qv::package {

// Decodes `blob` (blobSize bytes, read-only) into the file `outPath`.
//
// Order of work:
//   1. Opens outPath with "wb" (created or truncated). On failure prints
//      "Open DesFile ERR:<path>\n" to standard output and returns false; nothing is decoded.
//   2. Reads the header, allocates one buffer of the declared size and decodes the LZMA data
//      (blob offset 13 to the end) into it in one pass. Decoding stops when the buffer is
//      full (no end marker needed, nothing after that point is looked at) or at an end
//      marker met earlier, in which case the bytes produced so far are the result.
//   3. On a decoder error prints "LzmaUncompress:<n>\n" to standard output, leaves the output
//      file on disk and empty, and returns false. The numbers:
//        1  the LZMA data is corrupt
//        2  memory for the decoder or for the output buffer was not available
//        4  unsupported properties (properties byte above 224, lc + lp above 4), or a
//           declared size that needs more than 32 bits (the all-ones "size not stored"
//           marker included)
//        6  the data ran out before the output was complete (also a blob shorter than its
//           13-byte header, or fewer than 5 bytes of LZMA data)
//   4. On success writes the bytes produced in one write and returns true. A write or close
//      that fails returns false.
// Nothing outside [blob, blob + blobSize) is ever read.
bool UnpackResourceToFile(const void* blob, std::size_t blobSize, const char* outPath);

}  // namespace qv::package
