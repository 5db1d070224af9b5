// The package blobs embedded in the installer: resources of type "ORX", id 129 (the package
// index) and id 130 (the package stream), each an LZMA-alone blob (see blob_unpack.h).
#pragma once

#include <string>

namespace qv::setup {

inline constexpr int kIndexBlobId = 129;
inline constexpr int kStreamBlobId = 130;

// Finds resource `resourceId` of type "orx" in the installer's own executable
// (FindResourceA: the lookup ignores case, the resources are stored as "ORX"), loads and
// locks it, and unpacks it into outPath with UnpackResourceToFile. False when the resource
// is missing, cannot be loaded or locked, or does not unpack (the unpacking prints its own
// diagnostic line and may leave an empty file behind).
bool UnpackEmbeddedBlob(int resourceId, const std::string& outPath);

}  // namespace qv::setup
