#include "win_app.h"

#include <cstring>
#include <string>

#include "app_name.h"
#include "dialog.h"

namespace qv::fw {
namespace {

WinApp* g_app = nullptr;

// Trivially destructible, so that it stays usable while the process ends.
struct NameBuffer {
  char text[MAX_PATH];
};

bool IsSystemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

NameBuffer ComputeApplicationName() noexcept {
  NameBuffer name{};
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return name;
  try {
    const std::string text = AppNameFromModulePath(std::string(path, length), IsSystemLeadByte);
    std::strncpy(name.text, text.c_str(), sizeof(name.text) - 1);
  } catch (...) {
  }
  return name;
}

}  // namespace

WinApp::WinApp() noexcept { g_app = this; }

WinApp::~WinApp() {
  if (g_app == this) g_app = nullptr;
}

WinApp* WinApp::Current() noexcept { return g_app; }

int WinApp::Run() {
  if (m_pMainWnd == nullptr || m_pMainWnd->Hwnd() == nullptr) return ExitInstance();
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    const HWND main = m_pMainWnd ? m_pMainWnd->Hwnd() : nullptr;
    if (main && IsDialogMessageA(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return ExitInstance();
}

int RunApplication() noexcept {
  WinApp* app = WinApp::Current();
  if (!app) return 1;
  try {
    if (app->InitInstance()) return app->Run();
    return app->ExitInstance();
  } catch (...) {
    return 1;
  }
}

const char* ApplicationName() noexcept {
  static const NameBuffer name = ComputeApplicationName();
  return name.text;
}

}  // namespace qv::fw
