// Watching for processes by image name ("vcr.exe"), whoever started them.
#pragma once

namespace launcher_test {

// Whether a process with this image name runs now.
bool IsRunning(const char* imageName);
// Waits up to `timeoutMs` until such a process runs (or, with `running` false, none does).
bool WaitUntilRunning(const char* imageName, bool running, unsigned timeoutMs);

}  // namespace launcher_test
