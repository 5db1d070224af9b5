#include "own_image.h"

#include "install_dir_rule.h"
#include "install_location.h"
#include "win_handles.h"

namespace qv::sample {
namespace {

// Renames `from` to a fresh unique file in `folder`; returns the new name, or empty.
std::string RenameInto(const std::string& from, const std::string& folder) {
  char target[MAX_PATH] = {};
  if (folder.empty() || ::GetTempFileNameA(folder.c_str(), "qvu", 0, target) == 0) return std::string();
  // GetTempFileNameA created the file to reserve its name; the rename replaces it.
  if (!::MoveFileExA(from.c_str(), target, MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileA(target);
    return std::string();
  }
  return target;
}

}  // namespace

OwnImage OwnImage::Current() {
  OwnImage image;
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length != 0 && length < MAX_PATH) image.identity_ = IdentityOf(path);
  return image;
}

std::optional<OwnImage::Identity> OwnImage::IdentityOf(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool OwnImage::IsSameFile(const std::string& path) const {
  if (!identity_) return false;
  const std::optional<Identity> other = IdentityOf(path);
  return other && other->volume == identity_->volume && other->indexHigh == identity_->indexHigh &&
         other->indexLow == identity_->indexLow;
}

bool OwnImage::MoveOutOf(const std::string& path, const std::string& installDir) const {
  char temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH + 1, temp);
  std::string moved;
  if (length != 0 && length <= MAX_PATH) moved = RenameInto(path, temp);
  if (moved.empty()) moved = RenameInto(path, ParentFolder(installDir, IsSystemLeadByte));
  if (moved.empty()) return false;
  ::MoveFileExA(moved.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);  // needs rights; a leftover is harmless
  return true;
}

}  // namespace qv::sample
