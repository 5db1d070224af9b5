// One of the four sample ActiveX controls (docrenderocx, ConvertSeal, ReadKeyInfo, SealViews).
// The same source is built once per control with QV_CONTROL_NAME set to the control's name.
//
// Registration leaves a marker that tests and the uninstaller's checks read:
//   HKLM\SOFTWARE\QVStampSample\Controls\<name>, value "Path" (REG_SZ) = the DLL's own path,
// always in the 64-bit registry view, so a 32-bit control on 64-bit Windows writes where the
// installer and the uninstaller look. Unregistration removes the marker, then the "Controls"
// and "QVStampSample" keys when nothing else is left in them; a marker that is already gone
// counts as success.
#include <windows.h>
#include <olectl.h>

#include "win_handles.h"

#ifndef QV_CONTROL_NAME
#error "QV_CONTROL_NAME must name the control"
#endif

namespace {

constexpr char kSampleKey[] = "SOFTWARE\\QVStampSample";
constexpr char kControlsKey[] = "SOFTWARE\\QVStampSample\\Controls";
constexpr char kMarkerKey[] = "SOFTWARE\\QVStampSample\\Controls\\" QV_CONTROL_NAME;
constexpr REGSAM kView = KEY_WOW64_64KEY;

HMODULE g_module = nullptr;

// Deletes `subKey` of HKLM when it has neither values nor subkeys; an absent key is fine.
bool DeleteKeyIfEmpty(const char* subKey) {
  DWORD subKeys = 0;
  DWORD values = 0;
  {
    qv::sample::UniqueKey key;
    const LONG open = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE | kView, key.put());
    if (open == ERROR_FILE_NOT_FOUND) return true;
    if (open != ERROR_SUCCESS) return false;
    if (::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
  }
  if (subKeys != 0 || values != 0) return true;
  const LONG del = ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, subKey, kView, 0);
  return del == ERROR_SUCCESS || del == ERROR_FILE_NOT_FOUND;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(g_module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;

  qv::sample::UniqueKey key;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMarkerKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | kView,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  if (::RegSetValueExA(key.get(), "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), length + 1) !=
      ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  const LONG del = ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kMarkerKey, kView, 0);
  if (del != ERROR_SUCCESS && del != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  if (!DeleteKeyIfEmpty(kControlsKey) || !DeleteKeyIfEmpty(kSampleKey)) return SELFREG_E_CLASS;
  return S_OK;
}

// The controls hand out no classes: the sample only shows registration working.
extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID, void** object) {
  if (object != nullptr) *object = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }
