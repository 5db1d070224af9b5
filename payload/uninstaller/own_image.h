// The uninstaller's own executable, which cannot be deleted while it runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qv::sample {

class OwnImage {
 public:
  // The running executable; an identity that matches nothing when it cannot be read.
  static OwnImage Current();

  // True when `path` names the running executable (the same file, however it is spelled).
  bool IsSameFile(const std::string& path) const;

  // Renames the running executable, which sits at `path` inside the installation folder
  // `installDir`, to a new unique name outside that folder: in the temp folder, or, when that
  // lies on another volume, in the folder that holds the installation folder. Windows allows
  // renaming a running program though not deleting it, so the installation folder can then
  // be removed at once. The renamed file is marked for deletion at the next restart; that
  // name is our own, so the mark can never touch a later installation. Returns false when
  // no rename succeeded: the file then stays where it is and nothing is marked.
  bool MoveOutOf(const std::string& path, const std::string& installDir) const;

 private:
  struct Identity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
  };
  static std::optional<Identity> IdentityOf(const std::string& path);

  std::optional<Identity> identity_;
};

}  // namespace qv::sample
