// Removing the installer's three shortcuts and its start-menu folder.
#pragma once

namespace qv::sample {

// Deletes "Qelvo电子印章阅读器.lnk" from the common desktop and "Qelvo电子印章阅读器.lnk" and
// "卸载Qelvo电子印章.lnk" from "OstraQelvo" in the common programs folder, then that folder
// when it is empty, and tells the shell. Links already gone count as removed; a folder that
// still holds something else stays. Returns false when a present link could not be deleted
// or a folder could not be asked for.
bool RemoveShortcuts();

}  // namespace qv::sample
