#include "command_line.h"

#include <cstring>

namespace qv::setup {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

const char* ArgumentText(const char* commandLine) noexcept {
  if (commandLine == nullptr) return "";
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && !IsBlank(*p)) ++p;
  }
  while (*p != '\0' && IsBlank(*p)) ++p;
  return p;
}

bool IsSilentArgumentText(const char* argumentText) noexcept {
  if (argumentText == nullptr) return false;
  return std::strcmp(argumentText, "-s") == 0 || std::strcmp(argumentText, "-S") == 0;
}

bool IsSilentCommandLine(const char* commandLine) noexcept {
  return IsSilentArgumentText(ArgumentText(commandLine));
}

}  // namespace qv::setup
