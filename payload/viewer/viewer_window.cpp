#include "viewer_window.h"

#include "viewer_ids.h"

namespace qv::sample {
namespace {

constexpr char kTitle[] = "Qelvo电子印章阅读器";
constexpr char kLabelWithDocument[] = "当前文档:";
constexpr char kLabelWithoutDocument[] = "未打开文档";

struct WindowData {
  const std::string* documentPath;
};

HICON LoadAppIcon(HINSTANCE instance, int size) {
  // Shared: the system owns the icon, nothing to destroy.
  return static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(QV_VIEWER_ICON), IMAGE_ICON, size, size, LR_SHARED));
}

void CreateChildren(HWND window, HINSTANCE instance, const std::string& documentPath) {
  const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const char* label = documentPath.empty() ? kLabelWithoutDocument : kLabelWithDocument;
  // SS_NOPREFIX: an '&' in a path is shown, not taken for a mnemonic.
  const DWORD style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  HWND labelWindow = ::CreateWindowExA(0, "STATIC", label, style, 16, 16, 480, 20, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(QV_VIEWER_LABEL)), instance,
                                       nullptr);
  HWND pathWindow = ::CreateWindowExA(0, "STATIC", documentPath.c_str(), style | SS_PATHELLIPSIS, 16, 44, 480, 40,
                                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(QV_VIEWER_PATH)),
                                      instance, nullptr);
  for (HWND child : {labelWindow, pathWindow}) {
    if (child != nullptr) ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      const auto* data = static_cast<const WindowData*>(create->lpCreateParams);
      CreateChildren(window, create->hInstance, *data->documentPath);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int RunViewerWindow(HINSTANCE instance, const std::string& documentPath, int showCommand) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ViewerProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadAppIcon(instance, ::GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = LoadAppIcon(instance, ::GetSystemMetrics(SM_CXSMICON));
  windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = QV_VIEWER_WINDOW_CLASS;
  if (::RegisterClassExA(&windowClass) == 0) return -1;

  WindowData data{&documentPath};
  HWND window = ::CreateWindowExA(0, QV_VIEWER_WINDOW_CLASS, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 540, 150, nullptr, nullptr, instance, &data);
  if (window == nullptr) return -1;
  ::ShowWindow(window, showCommand);
  ::UpdateWindow(window);

  MSG message;
  BOOL got;
  while ((got = ::GetMessageA(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return -1;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace qv::sample
