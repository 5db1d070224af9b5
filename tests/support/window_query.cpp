#include "window_query.h"

#include <algorithm>

namespace qv::ui {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

struct EnumState {
  const WindowFilter* filter;
  std::vector<HWND>* found;
};

bool MatchesFilter(HWND hwnd, const WindowFilter& filter) {
  if (hwnd == filter.exclude) return false;
  if (filter.visibleOnly && !IsWindowVisible(hwnd)) return false;
  if (filter.processId != 0 && ProcessOf(hwnd) != filter.processId) return false;
  if (!filter.className.empty() && ClassName(hwnd) != filter.className) return false;
  if (filter.ownerMustMatch && GetWindow(hwnd, GW_OWNER) != filter.owner) return false;
  if (!filter.title.empty()) {
    // Top-level windows of other processes: GetWindowTextA reads the stored title without
    // sending a message.
    char title[512] = {};
    GetWindowTextA(hwnd, title, sizeof(title));
    if (filter.title != title) return false;
  }
  return true;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
  auto* state = reinterpret_cast<EnumState*>(lParam);
  if (MatchesFilter(hwnd, *state->filter)) state->found->push_back(hwnd);
  return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(20);
  }
}

std::vector<HWND> FindTopLevelWindows(const WindowFilter& filter) {
  std::vector<HWND> found;
  EnumState state{&filter, &found};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&state));
  return found;
}

HWND WaitForWindow(const WindowFilter& filter, DWORD timeoutMs) {
  HWND hwnd = nullptr;
  WaitUntil(
      [&] {
        const auto found = FindTopLevelWindows(filter);
        hwnd = found.empty() ? nullptr : found.front();
        return hwnd != nullptr;
      },
      timeoutMs);
  return hwnd;
}

HWND WaitForDialogOf(DWORD processId, const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
  HWND result = nullptr;
  WaitUntil(
      [&] {
        WindowFilter filter;
        filter.processId = processId;
        filter.className = "#32770";
        for (HWND window : FindTopLevelWindows(filter)) {
          if (accept(window)) {
            result = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return result;
}

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

std::string ClassName(HWND hwnd) {
  char name[256] = {};
  const int length = GetClassNameA(hwnd, name, sizeof(name));
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

bool IsVisible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }

bool IsEnabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }

LONG_PTR Style(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWL_STYLE); }

LONG_PTR ExStyle(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWL_EXSTYLE); }

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* ok) {
  DWORD_PTR result = 0;
  const LRESULT answered =
      SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result);
  if (ok) *ok = answered != 0;
  return static_cast<LRESULT>(result);
}

std::string Text(HWND hwnd) {
  bool ok = false;
  const LRESULT length = Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (!ok || length < 0) return {};
  // Room for a DBCS text counted in characters, plus the terminator.
  std::string buffer(static_cast<size_t>(length) * 2 + 2, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
    return {};
  }
  buffer.resize(std::min<size_t>(copied, buffer.size()));
  return buffer;
}

std::string ControlText(HWND dialog, int id) { return Text(Control(dialog, id)); }

std::string GbkToUtf8(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int wide = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), wide);
  const int narrow = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), narrow, nullptr, nullptr);
  return out;
}

}  // namespace qv::ui
