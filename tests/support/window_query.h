// Finding windows and reading what they show, from any process.
//
// Texts are read with WM_GETTEXT (SendMessageTimeoutA): under code page 936 they come back
// as GBK bytes. Reads give up after a few seconds when the window's thread does not answer
// (a thread that pumps no messages cannot answer them).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qv::ui {

// Polls `condition` every 20 ms until it holds or `timeoutMs` has passed; its last result.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

struct WindowFilter {
  DWORD processId = 0;            // 0: any process
  std::string className;          // empty: any class
  std::string title;              // empty: any title (exact match otherwise, GBK)
  HWND owner = nullptr;           // with ownerMustMatch: the GW_OWNER window
  bool ownerMustMatch = false;
  bool visibleOnly = true;
  HWND exclude = nullptr;         // a window that never matches
};

// The top-level windows that match, in EnumWindows order (topmost first).
std::vector<HWND> FindTopLevelWindows(const WindowFilter& filter);
// The first one, waiting up to `timeoutMs` for it to appear; null on timeout.
HWND WaitForWindow(const WindowFilter& filter, DWORD timeoutMs);

// The first visible dialog (class #32770) of process `processId` that `accept` takes,
// waiting up to `timeoutMs`; null on timeout.
HWND WaitForDialogOf(DWORD processId, const std::function<bool(HWND)>& accept, DWORD timeoutMs);

HWND Control(HWND dialog, int id);
DWORD ProcessOf(HWND hwnd);
std::string ClassName(HWND hwnd);
bool IsVisible(HWND hwnd);
bool IsEnabled(HWND hwnd);
LONG_PTR Style(HWND hwnd);
LONG_PTR ExStyle(HWND hwnd);
RECT WindowRect(HWND hwnd);
// WM_GETTEXT of the whole text (GBK bytes); empty when the window does not answer.
std::string Text(HWND hwnd);
// Text(Control(dialog, id)).
std::string ControlText(HWND dialog, int id);
// SendMessageTimeoutA with no pointers in its arguments; `ok` tells whether it answered.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, bool* ok = nullptr);

// GBK bytes as UTF-8, for people reading test output.
std::string GbkToUtf8(const std::string& gbk);

}  // namespace qv::ui
