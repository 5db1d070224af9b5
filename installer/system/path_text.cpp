#include "installer/system/path_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace qv::system {

const char* FindLastSeparator(const char* text) {
  for (std::size_t i = std::strlen(text); i > 1; --i) {
    if (text[i - 1] == '\\' || text[i - 1] == '/') return text + i - 1;
  }
  return nullptr;
}

char* FindLastSeparator(char* text) {
  return const_cast<char*>(FindLastSeparator(static_cast<const char*>(text)));
}

bool CutAtLastSeparator(char* text) {
  char* separator = FindLastSeparator(text);
  if (separator == nullptr) return false;
  *separator = '\0';
  return true;
}

bool FormatText(char* buffer, std::size_t size, const char* format, ...) {
  if (size == 0) return false;
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
  if (length < 0 || static_cast<std::size_t>(length) >= size) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace qv::system
