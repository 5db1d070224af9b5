// Removing the installation folder with everything in it.
#pragma once

#include <string>

#include "own_image.h"

namespace qv::sample {

// Deletes every file and folder below `installDir` (ending in a backslash), then the folder
// itself. Read-only files are made writable first. A folder link (junction or symbolic link)
// is removed as a link: what it points to is never entered, so nothing outside `installDir`
// is touched. When the running uninstaller lies inside, it is moved out (OwnImage::MoveOutOf)
// instead of deleted. A folder that is already gone counts as removed. Returns false when
// anything present could not be removed; the rest is removed all the same.
bool RemoveInstallTree(const std::string& installDir, const OwnImage& self);

}  // namespace qv::sample
