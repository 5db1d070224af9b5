#include "install_location.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "install_dir_rule.h"
#include "product_names.h"
#include "win_handles.h"

namespace qv::sample {
namespace {

// The text of "UninstallString" (REG_SZ, or REG_EXPAND_SZ expanded) in one registry view,
// or nothing.
std::optional<std::string> ReadUninstallString(REGSAM view) {
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_QUERY_VALUE | view, key.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key.get(), kUninstallStringValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > 32767) {
    return std::nullopt;
  }
  std::vector<char> data(size + 1, '\0');  // room for a terminator the value may lack
  if (::RegQueryValueExA(key.get(), kUninstallStringValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string text(data.data());  // up to the first terminator
  if (type == REG_EXPAND_SZ) {
    const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::vector<char> expanded(needed, '\0');
    if (::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed) == 0) return std::nullopt;
    text = expanded.data();
  }
  return text;
}

std::optional<std::string> DefaultInstallDir() {
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
      folder[0] == '\0') {
    return std::nullopt;
  }
  // Run the composed path through the same rule as the registry's, so both sources meet the
  // same standard (an absolute path, no odd components).
  return InstallDirFromUninstallString(std::string(folder) + "\\" + kInstallFolderName + "\\uninstall.exe",
                                       IsSystemLeadByte);
}

}  // namespace

bool IsSystemLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

std::optional<std::string> FindInstallDir() {
  // A 64-bit installer writes the entry in the 64-bit view, a 32-bit one on 64-bit Windows in
  // the 32-bit view; on 32-bit Windows both name the same key.
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    if (const std::optional<std::string> value = ReadUninstallString(view)) {
      if (std::optional<std::string> dir = InstallDirFromUninstallString(*value, IsSystemLeadByte)) return dir;
    }
  }
  return DefaultInstallDir();
}

}  // namespace qv::sample
