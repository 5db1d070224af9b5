// The installer's command line: its argument text and the silent switch. Pure; no Win32.
#pragma once

namespace qv::setup {

// The argument text of a whole command line (as GetCommandLineA gives it): what follows the
// program name and the blanks after it. The program name ends at the closing double quote
// when it starts with one (a missing closing quote takes the whole line), else at the first
// character of code 0x20 or below; then every character of code 0x20 or below is skipped.
// Returns a pointer into `commandLine` (to its terminator when there are no arguments);
// null in, "" out.
const char* ArgumentText(const char* commandLine) noexcept;

// True exactly when the argument text is "-s" or "-S", byte for byte.
bool IsSilentArgumentText(const char* argumentText) noexcept;

// IsSilentArgumentText(ArgumentText(commandLine)).
bool IsSilentCommandLine(const char* commandLine) noexcept;

}  // namespace qv::setup
