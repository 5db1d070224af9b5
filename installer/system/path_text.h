#pragma once
// Narrow path texts in fixed buffers: finding the last separator, and formatting that refuses
// a text that does not fit instead of overrunning or cutting it.
//
// Separators are '\\' and '/' alike. The scan is byte-wise and knows nothing of double-byte
// characters, like the rest of the installer's path handling.

#include <cstddef>

namespace qv::system {

// The last '\\' or '/' of text at index 1 or later (index 0 is never looked at), or nullptr
// when there is none. An empty text has none.
const char* FindLastSeparator(const char* text);
char* FindLastSeparator(char* text);

// Cuts text at its last separator (as found by FindLastSeparator) by writing a terminator
// there. Returns false and leaves text unchanged when there is none. Only bytes inside the
// existing text are written.
bool CutAtLastSeparator(char* text);

// printf-style formatting into buffer (size bytes, terminator included). Returns true when the
// whole text fitted; otherwise buffer holds an empty text and the result is false, so a text
// that is too long is never used cut short.
bool FormatText(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(gnu_printf, 3, 4)));

}  // namespace qv::system
