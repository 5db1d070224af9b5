#include "decoded_package.h"

#include <cstdio>
#include <vector>

#include "blob_names.h"
#include "host_text.h"
#include "installer/package/blob_unpack.h"
#include "unique_file.h"

namespace qvpack {
namespace {

namespace fs = std::filesystem;

Status ReadBlob(const fs::path& path, std::vector<std::uint8_t>& bytes) {
  UniqueFile in(OpenFile(path, "rb"));
  if (!in) return Status::Fail(ExitCode::kBadPackage, "cannot open " + NarrowPath(path));
  bytes.clear();
  std::uint8_t chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  if (std::ferror(in.get())) return Status::Fail(ExitCode::kBadPackage, "cannot read " + NarrowPath(path));
  return Status::Ok();
}

Status Unpack(const fs::path& blob, const fs::path& out) {
  std::vector<std::uint8_t> bytes;
  Status s = ReadBlob(blob, bytes);
  if (!s.ok()) return s;
  if (!qv::package::UnpackResourceToFile(bytes.data(), bytes.size(), NarrowPath(out).c_str())) {
    return Status::Fail(ExitCode::kBadPackage, "cannot decode " + NarrowPath(blob));
  }
  return Status::Ok();
}

}  // namespace

Status DecodedPackage::Open(const fs::path& blob_dir, bool with_stream) {
  Status s = temp_.Create();
  if (!s.ok()) return s;
  const fs::path index = temp_.path() / "setupdir.orxi";
  if (!(s = Unpack(blob_dir / kIndexBlobName, index)).ok()) return s;
  if (with_stream && !(s = Unpack(blob_dir / kStreamBlobName, temp_.path() / "setupdir.orxs")).ok()) return s;
  if (!qv::package::LoadCatalog(NarrowPath(index), catalog_)) {
    return Status::Fail(ExitCode::kBadPackage,
                        "the index in " + NarrowPath(blob_dir / kIndexBlobName) + " does not load");
  }
  return Status::Ok();
}

}  // namespace qvpack
