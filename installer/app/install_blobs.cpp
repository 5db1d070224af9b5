#include "install_blobs.h"

#include <windows.h>

#include "installer/package/blob_unpack.h"

namespace qv::setup {

bool UnpackEmbeddedBlob(int resourceId, const std::string& outPath) {
  const HMODULE self = GetModuleHandleA(nullptr);
  const HRSRC resource = FindResourceA(self, MAKEINTRESOURCEA(resourceId), "orx");
  if (resource == nullptr) return false;
  const DWORD size = SizeofResource(self, resource);
  // Resource data lives as long as the module; nothing here needs freeing.
  const HGLOBAL loaded = LoadResource(self, resource);
  if (loaded == nullptr) return false;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return false;
  return qv::package::UnpackResourceToFile(bytes, size, outPath.c_str());
}

}  // namespace qv::setup
