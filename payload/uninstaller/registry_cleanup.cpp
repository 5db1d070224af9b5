#include "registry_cleanup.h"

#include <windows.h>
#include <shlobj.h>

#include "product_names.h"
#include "win_handles.h"

namespace qv::sample {
namespace {

// Both registry views: the installer writes with the plain registry calls, so a 32-bit
// installer on 64-bit Windows leaves its HKLM\SOFTWARE values (and regedit/regsvr32 started
// from it theirs) in the 32-bit view, a 64-bit one in the 64-bit view. On 32-bit Windows both
// flags name the one registry; keys shared by both views are simply found gone the second time.
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

enum class Action {
  kValue,       // delete the named value ("" is the key's default value)
  kKeyIfEmpty,  // delete the key when it holds no values and no subkeys
};

struct Item {
  HKEY root;
  const char* key;
  Action action;
  const char* value;
};

// What an installation writes, in removal order: values first, then their keys from the
// deepest up. Mirrors files/uninstall.reg and files/shell.reg and the installer's own values.
const Item kItems[] = {
    // Uninstall entry: the installer's two values, then the listing values of uninstall.reg.
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "UninstallString"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "DisplayIcon"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "DisplayName"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "DisplayVersion"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "Publisher"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "NoModify"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kValue, "NoRepair"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, Action::kKeyIfEmpty, nullptr},
    // ".esdf": the installer's icon and open command, shell.reg's verb text and content type.
    {HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command", Action::kValue, ""},
    {HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command", Action::kKeyIfEmpty, nullptr},
    {HKEY_CLASSES_ROOT, ".esdf\\shell\\open", Action::kValue, ""},
    {HKEY_CLASSES_ROOT, ".esdf\\shell\\open", Action::kKeyIfEmpty, nullptr},
    {HKEY_CLASSES_ROOT, ".esdf\\shell", Action::kKeyIfEmpty, nullptr},
    {HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon", Action::kValue, ""},
    {HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon", Action::kKeyIfEmpty, nullptr},
    {HKEY_CLASSES_ROOT, ".esdf", Action::kValue, "Content Type"},
    {HKEY_CLASSES_ROOT, ".esdf", Action::kKeyIfEmpty, nullptr},
    // The scripts' own record, and the sample's key once the controls have left theirs.
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample\\Scripts", Action::kValue, "uninstall.reg"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample\\Scripts", Action::kValue, "shell.reg"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample\\Scripts", Action::kKeyIfEmpty, nullptr},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample\\Controls", Action::kKeyIfEmpty, nullptr},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample", Action::kKeyIfEmpty, nullptr},
};

bool IsGone(LONG result) { return result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND; }

bool DeleteValue(HKEY root, const char* subKey, const char* value, REGSAM view) {
  UniqueKey key;
  const LONG open = ::RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE | view, key.put());
  if (IsGone(open)) return true;
  if (open != ERROR_SUCCESS) return false;
  const LONG del = ::RegDeleteValueA(key.get(), *value == '\0' ? nullptr : value);
  return del == ERROR_SUCCESS || IsGone(del);
}

bool DeleteKeyIfEmpty(HKEY root, const char* subKey, REGSAM view) {
  DWORD subKeys = 0;
  DWORD values = 0;
  {
    UniqueKey key;
    const LONG open = ::RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE | view, key.put());
    if (IsGone(open)) return true;
    if (open != ERROR_SUCCESS) return false;
    if (::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
  }
  if (subKeys != 0 || values != 0) return true;  // someone else's content: the key stays
  const LONG del = ::RegDeleteKeyExA(root, subKey, view, 0);
  return del == ERROR_SUCCESS || IsGone(del);
}

}  // namespace

bool RemoveRegistryEntries() {
  bool complete = true;
  for (const REGSAM view : kViews) {
    for (const Item& item : kItems) {
      const bool done = item.action == Action::kValue ? DeleteValue(item.root, item.key, item.value, view)
                                                      : DeleteKeyIfEmpty(item.root, item.key, view);
      if (!done) complete = false;
    }
  }
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return complete;
}

}  // namespace qv::sample
