#include "temp_folder.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <system_error>

#include "host_text.h"

namespace qvpack {

namespace fs = std::filesystem;

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

Status TempFolder::Create() {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) return Status::Fail(ExitCode::kOutputFailed, "no temp folder: " + ec.message());
  std::random_device device;
  std::mt19937_64 mix(device() ^ static_cast<std::uint64_t>(
                                     std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "qvpack-%016llx", static_cast<unsigned long long>(mix()));
    fs::path candidate = base / name;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate;
      return Status::Ok();
    }
    if (ec) break;  // a real failure, not a name already taken
  }
  return Status::Fail(ExitCode::kOutputFailed, "cannot create a folder in " + NarrowPath(base) +
                                                   (ec ? ": " + ec.message() : std::string()));
}

}  // namespace qvpack
