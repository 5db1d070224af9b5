#include "install_backup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "install_paths.h"

namespace qv::setup {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr DWORD kModulePathSize = 1024;

}  // namespace

void CopyOwnExecutable(const std::string& installDir) {
  char modulePath[kModulePathSize];
  std::memset(modulePath, 0, sizeof modulePath);
  const DWORD length = GetModuleFileNameA(nullptr, modulePath, kModulePathSize);
  if (length == 0 || length >= kModulePathSize) return;

  File source(std::fopen(modulePath, "rb"));
  if (!source) return;
  const std::string backupPath = installDir + kBackupFileName;
  if (std::fseek(source.get(), 0, SEEK_END) != 0) return;
  const long size = std::ftell(source.get());
  if (size <= 0) return;
  std::rewind(source.get());
  const std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
  if (!block) return;
  const auto byteCount = static_cast<std::size_t>(size);
  if (std::fread(block.get(), 1, byteCount, source.get()) != byteCount) return;
  source.reset();

  File backup(std::fopen(backupPath.c_str(), "wb"));
  if (!backup) return;
  const bool written = std::fwrite(block.get(), 1, byteCount, backup.get()) == byteCount;
  const bool closed = std::fclose(backup.release()) == 0;
  if (!written || !closed) std::remove(backupPath.c_str());
}

}  // namespace qv::setup
