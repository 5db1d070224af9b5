// The viewer's main window: the document path in a static text, the application icon.
#pragma once

#include <windows.h>

#include <string>

namespace qv::sample {

// Creates the main window showing `documentPath` (empty: no document) and runs its message
// loop until the window is closed. Returns the loop's exit code, or -1 when the window cannot
// be created.
int RunViewerWindow(HINSTANCE instance, const std::string& documentPath, int showCommand);

}  // namespace qv::sample
