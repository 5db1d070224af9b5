// Pictures of windows as they are on the screen, for people to look at.
#pragma once

#include <windows.h>

#include <string>

namespace qv::ui {

// Copies the window's rectangle from the screen (BitBlt from the screen DC; the window
// should be on top and unobscured) into a 24-bit BMP file. False on any failure.
bool SaveWindowScreenshot(HWND window, const std::string& bmpPath);

}  // namespace qv::ui
