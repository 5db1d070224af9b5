#include "control.h"

#include <vector>

namespace qv::fw {

std::string Control::Text() const {
  const int length = GetWindowTextLengthA(m_hwnd);
  if (length <= 0) return {};
  // The length is an upper bound in the A world (it may count a DBCS text generously).
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  const int got = GetWindowTextA(m_hwnd, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void Control::SetText(const char* text) const { SetWindowTextA(m_hwnd, text); }

void Control::Show(bool shown) const { ShowWindow(m_hwnd, shown ? SW_SHOW : SW_HIDE); }

bool Control::IsVisible() const { return IsWindowVisible(m_hwnd) != FALSE; }

void Control::Enable(bool enabled) const { EnableWindow(m_hwnd, enabled ? TRUE : FALSE); }

bool Control::IsEnabled() const { return IsWindowEnabled(m_hwnd) != FALSE; }

void Control::SetFont(HFONT font, bool redraw) const {
  SendMessageA(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw ? TRUE : FALSE, 0));
}

void Control::Move(const RECT& rect, bool repaint) const {
  MoveWindow(m_hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
             repaint ? TRUE : FALSE);
}

RECT Control::ClientRect() const {
  RECT rect{};
  GetClientRect(m_hwnd, &rect);
  return rect;
}

LRESULT Control::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageA(m_hwnd, message, wParam, lParam);
}

}  // namespace qv::fw
