#include "command_line.h"

namespace qv::sample {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares two narrow texts with ASCII letters folded, except a letter right after a byte of
// 0x80 or above: that may be the second byte of a GBK character and is compared exactly.
// (Folding less never makes two different paths equal.)
bool SamePathText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool afterHighByte = i > 0 && (static_cast<unsigned char>(a[i - 1]) >= 0x80 ||
                                         static_cast<unsigned char>(b[i - 1]) >= 0x80);
    if (afterHighByte ? a[i] != b[i] : LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Length of the unquoted program token at the start of `text`.
std::size_t UnquotedProgramLength(std::string_view text, std::string_view modulePath) {
  std::string_view candidates[2] = {modulePath, {}};
  if (modulePath.size() > 4 && SamePathText(modulePath.substr(modulePath.size() - 4), ".exe")) {
    candidates[1] = modulePath.substr(0, modulePath.size() - 4);
  }
  for (std::string_view candidate : candidates) {
    if (candidate.empty() || text.size() < candidate.size()) continue;
    if (SamePathText(text.substr(0, candidate.size()), candidate) &&
        (text.size() == candidate.size() || IsBlank(text[candidate.size()]))) {
      return candidate.size();
    }
  }
  std::size_t length = 0;
  while (length < text.size() && !IsBlank(text[length])) ++length;
  return length;
}

}  // namespace

// Quotes and blanks never occur as the second byte of a GBK character (those are 0x40 and up),
// so a byte-wise scan for them is safe for the system code page.
std::string DocumentPathFromCommandLine(std::string_view commandLine, std::string_view modulePath) {
  std::size_t pos = 0;
  while (pos < commandLine.size() && IsBlank(commandLine[pos])) ++pos;
  if (pos < commandLine.size() && commandLine[pos] == '"') {
    const std::size_t close = commandLine.find('"', pos + 1);
    pos = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    pos += UnquotedProgramLength(commandLine.substr(pos), modulePath);
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
