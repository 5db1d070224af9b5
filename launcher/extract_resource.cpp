#include "launcher/extract_resource.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct ResourceBytes {
  const void* data = nullptr;
  DWORD size = 0;
};

// The bytes of resource `id`, type "RES", of this executable; data is null when the resource
// cannot be found, loaded or mapped. Loaded resources need no freeing.
ResourceBytes FindEmbedded(std::uint16_t id) {
  ResourceBytes bytes;
  HRSRC info = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), "RES");
  if (!info) return bytes;
  bytes.size = ::SizeofResource(nullptr, info);
  HGLOBAL loaded = ::LoadResource(nullptr, info);
  if (!bytes.size || !loaded) return bytes;
  bytes.data = ::LockResource(loaded);
  return bytes;
}

// The temp folder followed by `name`, in a MAX_PATH buffer; false when it does not fit.
bool BuildTempPath(const std::string& name, char (&path)[MAX_PATH]) {
  char folder[MAX_PATH] = {};
  DWORD len = ::GetTempPathA(MAX_PATH, folder);
  if (len == 0 || len >= MAX_PATH) return false;  // too long: the buffer was not filled
  if (len + name.size() >= MAX_PATH) return false;
  std::memcpy(path, folder, len);
  std::memcpy(path + len, name.c_str(), name.size() + 1);
  return true;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Creates (or truncates) `path` and writes `bytes`; true only when every byte reached the file.
bool WriteWholeFile(const char* path, const ResourceBytes& bytes) {
  UniqueFile file(std::fopen(path, "wb"));
  if (!file) return false;
  bool written = std::fwrite(bytes.data, 1, bytes.size, file.get()) == bytes.size;
  bool closed = std::fclose(file.release()) == 0;
  return written && closed;
}

void ReportTempNotWritable() {
  ::MessageBoxA(nullptr, "系统临时目录不可写,请检查系统盘空间是否足够!", "错误", MB_ICONERROR | MB_OK);
}

}  // namespace

bool ExtractResourceToTemp(std::uint16_t id, std::string& fileName) {
  ResourceBytes bytes = FindEmbedded(id);
  if (!bytes.data) return false;
  char path[MAX_PATH] = {};
  if (!BuildTempPath(fileName, path) || !WriteWholeFile(path, bytes)) {
    ReportTempNotWritable();
    return false;
  }
  fileName = path;
  return true;
}
