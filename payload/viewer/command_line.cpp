#include "command_line.h"

namespace qv::sample {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

// Quotes and blanks never occur as the second byte of a GBK character (those are 0x40 and up),
// so a byte-wise scan is safe for the system code page.
std::string DocumentPathFromCommandLine(std::string_view commandLine) {
  std::size_t pos = 0;
  while (pos < commandLine.size() && IsBlank(commandLine[pos])) ++pos;
  if (pos < commandLine.size() && commandLine[pos] == '"') {
    const std::size_t close = commandLine.find('"', pos + 1);
    pos = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && !IsBlank(commandLine[pos])) ++pos;
  }

  std::string path;
  for (; pos < commandLine.size(); ++pos) {
    if (commandLine[pos] != '"') path.push_back(commandLine[pos]);
  }
  const std::size_t first = path.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const std::size_t last = path.find_last_not_of(" \t");
  return path.substr(first, last - first + 1);
}

}  // namespace qv::sample
