#include "window_input.h"

namespace qv::ui {

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void ClickControl(HWND dialog, int id) { Click(GetDlgItem(dialog, id)); }

void PostClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

void PostSystemClose(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void PressKey(HWND window, UINT virtualKey) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HWND target = window;
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) target = info.hwndFocus;
  const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  PostMessageA(target, WM_KEYDOWN, virtualKey, down);
  PostMessageA(target, WM_KEYUP, virtualKey, up);
}

}  // namespace qv::ui
