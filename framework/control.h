// A control of a dialog, bound by id (see Dialog::Bind).
//
// A Control lends the HWND of a child window; it owns nothing: the window belongs to its
// dialog and is destroyed with it. Before binding, and after the dialog's window is gone,
// every operation is a harmless no-op on a null or stale handle (Win32 rejects it).
//
// Threads: every operation is a plain Win32 call on the control's window. Called from a
// thread other than the dialog's, the window messages among them (text, font, range,
// position...) are sent to the dialog's thread and applied before the call returns.
#pragma once

#include <windows.h>

#include <string>

namespace qv::fw {

class Control {
public:
  Control() noexcept = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Hwnd() const noexcept { return m_hwnd; }
  bool IsBound() const noexcept { return m_hwnd != nullptr; }
  void Attach(HWND hwnd) noexcept { m_hwnd = hwnd; }
  void Detach() noexcept { m_hwnd = nullptr; }

  // The window text in the system code page (GetWindowTextA), whole.
  std::string Text() const;
  void SetText(const char* text) const;
  void SetText(const std::string& text) const { SetText(text.c_str()); }

  void Show(bool shown) const;
  bool IsVisible() const;
  void Enable(bool enabled) const;
  bool IsEnabled() const;

  // WM_SETFONT; the font must outlive the control's use of it.
  void SetFont(HFONT font, bool redraw) const;
  // Moves the control to a rectangle in its parent's client coordinates.
  void Move(const RECT& rect, bool repaint) const;
  RECT ClientRect() const;

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

private:
  HWND m_hwnd = nullptr;
};

}  // namespace qv::fw
