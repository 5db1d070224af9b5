// The viewer's reading of its own command line. No windows.h: the rule is plain text work.
#pragma once

#include <string>
#include <string_view>

namespace qv::sample {

// The document path that a command line names: everything after the program's own token
// (quoted or not), with every double quote removed and surrounding blanks and tabs trimmed.
// The association starts the viewer as `...\QVStampPage.exe "%1"`; taking the whole rest
// keeps an unquoted path with blanks whole. Empty when no document is named.
std::string DocumentPathFromCommandLine(std::string_view commandLine);

}  // namespace qv::sample
