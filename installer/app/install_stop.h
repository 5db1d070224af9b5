// Stopping the installation worker when the user confirms cancelling.
//
// The worker honours a stop request between the steps of the sequence and between package
// entries; no step is cut in the middle, so no file is left half-written. Every wait of the
// worker on a started program (RunAndWait) also ends on the request, so a program that
// hangs never holds up a stop. The longest piece that a request cannot interrupt is one
// entry's extraction or one message box of the worker's.
//
// The window's thread then waits for the worker with CDOVazariSetupDlg::WaitForWorker,
// which handles the messages sent to the window meanwhile: the worker reports through sent
// messages (AppendLogLine, ShowFinished, the progress bar), and a message box owned by the
// setup window sends messages to it when it opens and closes.
#pragma once

namespace qv::setup {

// Records the request (also when the system's stop event could not be created) and
// signals the stop event that RunAndWait waits on. Any thread; never withdrawn.
void RequestInstallStop() noexcept;

// True once RequestInstallStop() was called in this process.
bool InstallStopRequested() noexcept;

}  // namespace qv::setup
