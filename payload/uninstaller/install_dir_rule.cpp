#include "install_dir_rule.h"

#include <vector>

namespace qv::sample {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

struct SplitPath {
  std::size_t leadingSeparators = 0;
  std::vector<std::string> components;  // empty components (doubled separators) dropped
  bool endsWithSeparator = false;
};

// Splits at '\\' and '/' outside double-byte characters.
SplitPath Split(std::string_view path, LeadBytePredicate isLeadByte) {
  SplitPath split;
  std::size_t i = 0;
  while (i < path.size() && IsSeparator(path[i])) {
    ++split.leadingSeparators;
    ++i;
  }
  std::string current;
  bool lastWasSeparator = false;
  while (i < path.size()) {
    const char c = path[i];
    if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
      current.append(path.substr(i, 2));
      i += 2;
      lastWasSeparator = false;
      continue;
    }
    if (IsSeparator(c)) {
      if (!current.empty()) split.components.push_back(std::move(current));
      current.clear();
      lastWasSeparator = true;
    } else {
      current.push_back(c);
      lastWasSeparator = false;
    }
    ++i;
  }
  if (!current.empty()) split.components.push_back(std::move(current));
  split.endsWithSeparator = lastWasSeparator;
  return split;
}

bool IsDriveComponent(std::string_view c) {
  return c.size() == 2 && c[1] == ':' && ((c[0] >= 'A' && c[0] <= 'Z') || (c[0] >= 'a' && c[0] <= 'z'));
}

// A file or folder name that may appear in an accepted path. Double-byte characters were kept
// whole by Split; their second bytes are not looked at here because a lead byte is never one
// of the refused ASCII characters and its trail byte is taken with it.
bool IsPlainComponent(std::string_view c, LeadBytePredicate isLeadByte) {
  if (c.empty() || c == "." || c == "..") return false;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(c[i]);
    if (isLeadByte(b) && i + 1 < c.size()) {
      ++i;
      continue;
    }
    if (b < 0x20) return false;
    switch (b) {
      case '<': case '>': case ':': case '"': case '|': case '?': case '*':
        return false;
      default:
        break;
    }
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> InstallDirFromUninstallString(std::string_view value, LeadBytePredicate isLeadByte) {
  std::string_view path = TrimBlanks(value);
  if (!path.empty() && path.front() == '"') {
    const std::size_t close = path.find('"', 1);
    if (close == std::string_view::npos || !TrimBlanks(path.substr(close + 1)).empty()) return std::nullopt;
    path = path.substr(1, close - 1);
  }

  const SplitPath split = Split(path, isLeadByte);
  if (split.endsWithSeparator || split.components.empty()) return std::nullopt;

  std::string root;
  std::size_t firstFolder = 0;
  if (split.leadingSeparators == 0 && IsDriveComponent(split.components[0]) && path.size() > 2 &&
      IsSeparator(path[2])) {
    root = split.components[0] + "\\";
    firstFolder = 1;
  } else if (split.leadingSeparators == 2 && split.components.size() >= 2 &&
             IsPlainComponent(split.components[0], isLeadByte) &&
             IsPlainComponent(split.components[1], isLeadByte)) {
    root = "\\\\" + split.components[0] + "\\" + split.components[1] + "\\";
    firstFolder = 2;
  } else {
    return std::nullopt;
  }

  // At least one folder below the root, and then the file itself.
  const std::size_t count = split.components.size();
  if (count < firstFolder + 2) return std::nullopt;
  for (std::size_t i = firstFolder; i < count; ++i) {
    if (!IsPlainComponent(split.components[i], isLeadByte)) return std::nullopt;
  }
  if (!EqualsIgnoringAsciiCase(split.components[count - 2], kInstallFolderName)) return std::nullopt;

  std::string folder = root;
  for (std::size_t i = firstFolder; i + 1 < count; ++i) {
    folder += split.components[i];
    folder += '\\';
  }
  return folder;
}

std::string ParentFolder(std::string_view folder, LeadBytePredicate isLeadByte) {
  // Positions of the separators that are not the second byte of a double-byte character.
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (isLeadByte(static_cast<unsigned char>(folder[i])) && i + 1 < folder.size()) {
      ++i;
    } else if (IsSeparator(folder[i])) {
      separators.push_back(i);
    }
  }
  // Trailing separators end the folder text, they do not start its last component.
  std::size_t end = folder.size();
  while (!separators.empty() && separators.back() + 1 == end) {
    end = separators.back();
    separators.pop_back();
  }
  if (separators.empty()) return std::string();
  std::size_t cut = separators.back();
  separators.pop_back();
  while (!separators.empty() && separators.back() + 1 == cut) {
    cut = separators.back();
    separators.pop_back();
  }
  if (cut == 0) return std::string();
  std::string parent(folder.substr(0, cut));
  // A drive root keeps its backslash ("C:\"), a bare "C:" would mean the drive's current folder.
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

bool HasSilentSwitch(std::string_view commandLine) {
  std::size_t pos = 0;
  while (pos < commandLine.size() && IsBlank(commandLine[pos])) ++pos;
  // Skip the program's own token, quoted or not.
  if (pos < commandLine.size() && commandLine[pos] == '"') {
    const std::size_t close = commandLine.find('"', pos + 1);
    pos = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && !IsBlank(commandLine[pos])) ++pos;
  }
  while (pos < commandLine.size()) {
    while (pos < commandLine.size() && IsBlank(commandLine[pos])) ++pos;
    std::string token;
    bool quoted = false;
    while (pos < commandLine.size() && (quoted || !IsBlank(commandLine[pos]))) {
      if (commandLine[pos] == '"') {
        quoted = !quoted;
      } else {
        token.push_back(commandLine[pos]);
      }
      ++pos;
    }
    if (token == "/s" || token == "/S") return true;
  }
  return false;
}

}  // namespace qv::sample
