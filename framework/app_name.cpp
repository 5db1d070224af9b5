#include "app_name.h"

namespace qv::fw {

std::string AppNameFromModulePath(const std::string& modulePath, LeadBytePredicate isLeadByte) {
  std::string::size_type nameStart = 0;
  std::string::size_type dot = std::string::npos;
  for (std::string::size_type i = 0; i < modulePath.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(modulePath[i]);
    if (isLeadByte != nullptr && isLeadByte(c) && i + 1 < modulePath.size()) {
      ++i;  // the trail byte belongs to this character
      continue;
    }
    if (c == '\\' || c == '/') {
      nameStart = i + 1;
      dot = std::string::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  const std::string::size_type end = dot == std::string::npos ? modulePath.size() : dot;
  return modulePath.substr(nameStart, end - nameStart);
}

}  // namespace qv::fw
