#include "installer/system/registry_entries.h"

#include <shlobj.h>

#include <string>

#include "installer/system/scoped_handle.h"

namespace qv::system {
namespace {

const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
const char kExplorerFileExtsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.esdf";
const char kIconKey[] = ".esdf\\DefaultIcon";
const char kOpenCommandKey[] = ".esdf\\shell\\open\\command";

constexpr DWORD kSubkeyNameSize = 512;

// Deletes subKey and everything below it; true when subKey is gone.
bool DeleteKeyAndSubkeys(HKEY root, const char* subKey) {
  {
    ScopedRegKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, key.receive()) ==
        ERROR_SUCCESS) {
      for (;;) {
        char name[kSubkeyNameSize];
        DWORD nameLength = kSubkeyNameSize;
        FILETIME lastWrite;
        if (RegEnumKeyExA(key.get(), 0, name, &nameLength, nullptr, nullptr, nullptr,
                          &lastWrite) != ERROR_SUCCESS) {
          break;
        }
        // A subkey that stays would be found again at index 0 on every pass.
        if (!DeleteKeyAndSubkeys(key.get(), name)) break;
      }
    }
  }
  return RegDeleteKeyA(root, subKey) == ERROR_SUCCESS;
}

// Creates or opens path below root and sets one REG_SZ value (null name: the default value).
void SetStringValue(HKEY root, const char* path, const char* valueName, const std::string& text) {
  ScopedRegKey key;
  if (RegCreateKeyA(root, path, key.receive()) != ERROR_SUCCESS) return;
  RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

}  // namespace

void DeleteRegistryTree(HKEY root, const char* subKey) {
  if (subKey == nullptr || subKey[0] == '\0') return;
  DeleteKeyAndSubkeys(root, subKey);
}

void WriteUninstallEntry(const char* installDir) {
  if (installDir == nullptr) return;
  const std::string directory(installDir);
  SetStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                 directory + "uninstall.exe");
  SetStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon", directory + "application.ico");
}

void RegisterFileAssociation(const char* installDir) {
  DeleteRegistryTree(HKEY_CURRENT_USER, kExplorerFileExtsKey);
  if (installDir != nullptr) {
    const std::string directory(installDir);
    SetStringValue(HKEY_CLASSES_ROOT, kIconKey, nullptr, directory + "QVStampPage.exe,0");
    SetStringValue(HKEY_CLASSES_ROOT, kOpenCommandKey, nullptr,
                   directory + "QVStampPage.exe \"%1\"");
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace qv::system
