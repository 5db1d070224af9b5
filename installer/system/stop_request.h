#pragma once
// The installation's stop request: one process-wide manual-reset event.
//
// The setup window calls RequestStop() when the user confirms cancelling. Every wait of the
// system code that may last long (RunAndWait waiting for a started program) also waits on
// StopEvent() and returns at once when it is signalled, so a stop never waits for a hung
// child. The request stays in force until ClearStopRequest(); the installer never clears it,
// since a stopped installation is not resumed.
//
// The event is created on first use and closed when the process ends. All functions may be
// called from any thread.

#include <windows.h>

namespace qv::system {

// Signals the stop event. Waiting operations return at once; RunAndWait starts nothing more.
void RequestStop();

// True once RequestStop() was called (and not cleared since).
bool StopRequested();

// Withdraws a stop request (resets the event).
void ClearStopRequest();

// The stop event, for WaitForMultipleObjects; null only when it could not be created, in which
// case stop requests are not possible and StopRequested() stays false.
HANDLE StopEvent();

}  // namespace qv::system
