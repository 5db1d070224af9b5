// Acting on windows of another process as a person would: clicks, keys, closing.
//
// Every action is posted (PostMessage), so that a modal box that the action opens in the
// target does not block the driver; the action takes effect when the target's thread gets
// to it. Wait for its visible result afterwards.
#pragma once

#include <windows.h>

namespace qv::ui {

// BM_CLICK on a button.
void Click(HWND button);
// Click(GetDlgItem(dialog, id)).
void ClickControl(HWND dialog, int id);
// WM_CLOSE, as the close box sends it (through the window manager).
void PostClose(HWND window);
// WM_SYSCOMMAND SC_CLOSE, as the system menu's Close sends it.
void PostSystemClose(HWND window);
// Key down and key up of `virtualKey` to the keyboard focus of the window's thread (or the
// window itself when its thread has no focus), as the keyboard would deliver them.
void PressKey(HWND window, UINT virtualKey);

}  // namespace qv::ui
