#pragma once
// Starting other programs through the shell and waiting for them: the previous installation's
// uninstaller, the component registrations and the outside installer ZuduSetup.exe.
//
// Order of use by the installation: RunPreviousUninstaller() right after the processes are
// ended and before the package is unpacked; RegisterComponents(installDir) after every file is
// extracted and the installer's backup copy written, before the registry entries.
//
// Every wait also ends on a stop request (see stop_request.h): the child is then left running
// and its handle closed. Once a stop is requested nothing more is started. Failures to start
// and exit codes are never reported to the caller.

namespace qv::system {

// Starts program with parameters through ShellExecuteExA (verb "open", SW_SHOWNORMAL,
// SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI: no error box of the shell's own, no
// directory: the child gets the caller's current directory) and, when a process was started,
// waits without a time limit until it has ended or a stop is requested. A program that can't
// be started returns at once. program is a file name (searched for by the shell) or a path.
void RunAndWait(const char* program, const char* parameters);

// Copies "<program-files folder>\QVStampReader\uninstall.exe" to
// "<temp folder>\qv_uninstall.exe" (the temp folder text ends in a backslash, so two follow
// each other) and runs the copy with "/s", waiting for it.
//  - The destination is opened for writing before anything is read, so a copy left by an
//    earlier run is always emptied: without a previous installation an empty file is left, and
//    running it fails quietly.
//  - The copy is run in every case, whether it was made or not. A copy that could not be read
//    or written completely is emptied again rather than run half-written.
//  - A failed program-files query, or a source path that does not fit MAX_PATH, skips only
//    the copy. A failed temp-folder query, or a destination path that does not fit, skips
//    everything (there is no path to empty or run).
// The copy stays in the temp folder.
void RunPreviousUninstaller();

// Seven launches through RunAndWait, one after the other, whatever each one's outcome:
//   1-4 "regsvr32.exe" with /s "<installDir>\docrenderocx.ocx", ...\ConvertSeal.ocx,
//       ...\ReadKeyInfo.ocx, ...\SealViews.ocx
//   5-6 "regedit.exe"  with /s "<installDir>\uninstall.reg", ...\shell.reg
//   7   "ZuduSetup.exe" with /sp- /silent /norestart (found from the current directory, which
//       the extraction leaves in the folder of the last file written)
// installDir ends in a backslash and is used unchanged, so each path holds two backslashes
// before its file name. A parameter text that does not fit its 264-byte buffer is not run
// (that launch alone is skipped). A null installDir starts nothing.
void RegisterComponents(const char* installDir);

}  // namespace qv::system
