// Message boxes of another process: finding them, reading them, answering them.
#pragma once

#include <windows.h>

#include <string>

namespace qv::ui {

// The first visible message box (class #32770) owned by `owner`, waiting up to `timeoutMs`;
// null on timeout.
HWND WaitForMessageBoxOwnedBy(HWND owner, DWORD timeoutMs);
// The first visible #32770 window of process `processId` other than `except` (the process's
// own dialog), waiting up to `timeoutMs`; null on timeout.
HWND WaitForMessageBoxOfProcess(DWORD processId, HWND except, DWORD timeoutMs);

// The box's message text (its static control 0xFFFF), GBK bytes.
std::string MessageBoxText(HWND box);
// The box's caption, GBK bytes.
std::string MessageBoxCaption(HWND box);
// Whether the box has a button of this id (IDOK, IDYES, ...).
bool HasButton(HWND box, int id);
// Answers the box as a click on button `id` would (posted).
void PressMessageBoxButton(HWND box, int id);

}  // namespace qv::ui
