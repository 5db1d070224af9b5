// The viewer's reading of its own command line. No windows.h: the rule is plain text work.
#pragma once

#include <string>
#include <string_view>

namespace qv::sample {

// The document path that a command line names: everything after the program's own token,
// with every double quote removed and surrounding blanks and tabs trimmed; empty when no
// document is named.
//
// The program token is a quoted text, or else `modulePath` (the running program's path, with
// or without ".exe", letters in any case) when the line starts with it followed by a blank or
// the end, or else the text up to the first blank. The association's open command is
// `<installDir>QVStampPage.exe "%1"` with the program path unquoted, so under
// "C:\Program Files\..." the program token itself holds a blank. Taking the whole rest keeps
// an unquoted document path with blanks whole.
std::string DocumentPathFromCommandLine(std::string_view commandLine, std::string_view modulePath);

}  // namespace qv::sample
