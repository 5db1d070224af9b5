#include "app_name.h"

namespace qv::fw {

std::string AppNameFromModulePath(const std::string& modulePath) {
  const std::string::size_type slash = modulePath.find_last_of("\\/");
  std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace qv::fw
