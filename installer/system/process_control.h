#pragma once
// Finding and ending running programs by the file name of their executable image.
//
// The installer calls, at the very start of an installation and in this order:
// IsBrowserRunning() (and warns the user when it reports 1), then
// KillProcessesByName("dorezizezadava.exe"), then KillProcessesByName("iexplore.exe").
// Their outcome never stops the installation; nothing is shown or logged here.
//
// The process walk shared by the two process operations:
//  - one EnumProcesses call into an array of 1024 identifiers; only the identifiers that the
//    call reports as filled are visited, and none at all when the call fails;
//  - each process is opened with the operation's rights, its first module (the executable)
//    is taken and its file name read into a MAX_PATH buffer with GetModuleFileNameExA;
//  - a process that can't be opened, whose path can't be read, whose path fills the whole
//    buffer (it may have been cut short and could then name a different file) or whose path
//    does not begin with an ASCII letter is passed over;
//  - the path is lower-cased with LowercaseAscii and its final component compared with the
//    name by FileNameMatches. Every identifier is visited; a match does not end the walk.

namespace qv::system {

// Adds 0x20 to every byte from 'A' to 'Z' up to the terminating zero; every other byte is left
// unchanged. Byte-wise: a trail byte of a double-byte character between 0x41 and 0x5A is
// changed like any other byte.
void LowercaseAscii(char* text);

// 1 when the final component of path (the bytes after its last '\\' or '/' found at index 1
// or later; empty when there is none) equals name byte for byte, else 0. Case-sensitive: callers
// give name in lower case and lower-case the path first. 0 when path is shorter than name.
int FileNameMatches(const char* name, const char* path);

// 1 when a running process has the image file name "iexplore.exe" (in any case), else 0.
// Opens processes with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ (0x0410).
int IsBrowserRunning();

// Starts the termination (exit code 0, not waited for) of every process whose lower-cased
// image file name equals name. name must be lower case: a name with capitals matches nothing,
// and an empty or null name terminates nothing.
// First enables SeDebugPrivilege in the installer's own token (and leaves it enabled); when the
// token can't be opened or the privilege is not granted, nothing is terminated. Processes are
// opened with PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ (0x0411).
// Always returns 1.
int KillProcessesByName(const char* name);

}  // namespace qv::system
