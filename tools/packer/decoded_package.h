// A package read back from its blobs through the installer's own code: the blobs are
// decoded with UnpackResourceToFile into a private temp folder as "setupdir.orxi" and
// "setupdir.orxs" (the names the installer uses), and the index is loaded with
// LoadCatalog. The temp folder goes away with the object.
#pragma once

#include <filesystem>

#include "installer/package/catalog.h"
#include "status.h"
#include "temp_folder.h"

namespace qvpack {

class DecodedPackage {
 public:
  // Decodes BLOB_DIR/index.blob and, with `with_stream`, BLOB_DIR/stream.blob, then loads
  // the catalogue. Fails with kBadPackage naming the blob or index that fails.
  Status Open(const std::filesystem::path& blob_dir, bool with_stream);

  const qv::package::PackageCatalog& catalog() const { return catalog_; }

 private:
  TempFolder temp_;
  qv::package::PackageCatalog catalog_;
};

}  // namespace qvpack
