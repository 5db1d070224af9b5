// The two files that `qvpack pack` writes and the installer embeds.
#pragma once

namespace qvpack {

inline constexpr char kIndexBlobName[] = "index.blob";    // resource 129: the package index
inline constexpr char kStreamBlobName[] = "stream.blob";  // resource 130: the package stream

}  // namespace qvpack
