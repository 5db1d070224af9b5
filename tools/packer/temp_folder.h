// A private folder under the system's temp folder, removed with everything in it when the
// owner goes away.
#pragma once

#include <filesystem>

#include "status.h"

namespace qvpack {

class TempFolder {
 public:
  TempFolder() = default;
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Creates a new, empty folder with a name no other run uses.
  Status Create();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace qvpack
