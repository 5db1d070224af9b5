#include "message_box.h"

#include "window_query.h"

namespace qv::ui {
namespace {

constexpr int kMessageTextId = 0xFFFF;

}  // namespace

HWND WaitForMessageBoxOwnedBy(HWND owner, DWORD timeoutMs) {
  WindowFilter filter;
  filter.className = "#32770";
  filter.owner = owner;
  filter.ownerMustMatch = true;
  return WaitForWindow(filter, timeoutMs);
}

HWND WaitForMessageBoxOfProcess(DWORD processId, HWND except, DWORD timeoutMs) {
  WindowFilter filter;
  filter.className = "#32770";
  filter.processId = processId;
  filter.exclude = except;
  return WaitForWindow(filter, timeoutMs);
}

std::string MessageBoxText(HWND box) { return ControlText(box, kMessageTextId); }

std::string MessageBoxCaption(HWND box) { return Text(box); }

bool HasButton(HWND box, int id) { return GetDlgItem(box, id) != nullptr; }

void PressMessageBoxButton(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

}  // namespace qv::ui
