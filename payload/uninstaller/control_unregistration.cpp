#include "control_unregistration.h"

#include <windows.h>
#include <ole2.h>

#include "product_names.h"
#include "win_handles.h"

namespace qv::sample {
namespace {

using UnregisterFunction = HRESULT(STDAPICALLTYPE*)();

class OleSession {
 public:
  OleSession() : initialised_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleSession() {
    if (initialised_) ::OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool initialised_;
};

bool UnregisterOne(const std::string& path) {
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;  // already gone
  // Dependencies of the control are looked for beside it, as regsvr32 does.
  UniqueModule module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) return false;
  const auto unregister =
      reinterpret_cast<UnregisterFunction>(reinterpret_cast<void*>(::GetProcAddress(module.get(), "DllUnregisterServer")));
  if (unregister == nullptr) return false;
  return SUCCEEDED(unregister());
}

}  // namespace

bool UnregisterControls(const std::string& installDir) {
  OleSession ole;
  bool complete = true;
  for (const char* name : kControlFiles) {
    if (!UnregisterOne(installDir + name)) complete = false;
  }
  return complete;
}

}  // namespace qv::sample
