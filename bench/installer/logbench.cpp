// logbench: what one log line and one progress step cost the installation worker.
//
//   logbench.exe settext|replacesel|replacesel-noredraw|none LINES
//
// A window like the setup window (a read-only, word-wrapping multi-line edit box 383 x 158
// pixels in the dialog font, and a progress bar) runs its message loop on the main thread;
// a worker thread sends it LINES installation-directory paths one after another, the way
// the installation worker logs every extracted file, each followed by the two progress-bar
// messages of a step:
//   settext     the new line on top by reading the box's text (up to 60000 bytes) and
//               setting the line + "\r\n" + that text (the whole box is laid out again)
//   replacesel  the new line on top by selecting the empty range at 0 and replacing it with
//               line + "\r\n" (only the inserted text is laid out); the box's text limit
//               is lifted (EM_SETLIMITTEXT 0, else it stops at 30000 characters) and
//               the text past 60000 characters is cut off, as the other way keeps it
//   replacesel-noredraw  the same with the box's redrawing switched off around the change
//               and the box invalidated after it (painted once the window thread is idle)
//   none        the progress-bar messages only
// Prints "logbench: method=M lines=N wall_ms=T chars=C" (C = the box's final length).
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kAppendLine = WM_APP + 1;
constexpr UINT kDone = WM_APP + 2;
constexpr int kReadLimit = 60000;

enum class Method { kSetText, kReplaceSel, kReplaceSelNoRedraw, kNone };

struct Context {
  Method method = Method::kNone;
  int lines = 0;
  HWND window = nullptr;
  HWND edit = nullptr;
  HWND progress = nullptr;
  double wallMs = 0;
  int chars = 0;
};

Context g;

// Owns one GDI object.
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ h) : h_(h) {}
  ~GdiObject() {
    if (h_) DeleteObject(h_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ get() const { return h_; }

 private:
  HGDIOBJ h_;
};

void AppendLine(const char* line) {
  if (g.method == Method::kSetText) {
    std::vector<char> old(kReadLimit, '\0');
    const int got = GetWindowTextA(g.edit, old.data(), kReadLimit);
    std::string text = line;
    text += "\r\n";
    text.append(old.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
    SetWindowTextA(g.edit, text.c_str());
  } else if (g.method == Method::kReplaceSel || g.method == Method::kReplaceSelNoRedraw) {
    std::string text = line;
    text += "\r\n";
    const bool quiet = g.method == Method::kReplaceSelNoRedraw;
    if (quiet) SendMessageA(g.edit, WM_SETREDRAW, FALSE, 0);
    SendMessageA(g.edit, EM_SETSEL, 0, 0);
    SendMessageA(g.edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    // Keep what the read-and-set way keeps: the newest kReadLimit characters or so.
    if (GetWindowTextLengthA(g.edit) > kReadLimit) {
      SendMessageA(g.edit, EM_SETSEL, kReadLimit, -1);
      SendMessageA(g.edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
    if (quiet) {
      SendMessageA(g.edit, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(g.edit, nullptr, TRUE);
    }
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kAppendLine:
      AppendLine(reinterpret_cast<const char*>(lp));
      return 0;
    case kDone:
      g.chars = GetWindowTextLengthA(g.edit);
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

const char* const kFolders[] = {"", "Plugins\\", "Resources\\Images\\", "Help\\", "bin\\codecs\\",
                                "Templates\\", "Config\\", "Lang\\"};
const char* const kNames[] = {"SealHubTure", "QvoSignaSync", "MonPaDer", "VerifyHubTure",
                              "OstOstLi", "TexRenCore"};
const char* const kExts[] = {".dll", ".bmp", ".html", ".xml", ".ini", ".png"};

DWORD WINAPI Worker(LPVOID) {
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  std::int32_t accumulator = 0;
  for (int i = 0; i < g.lines; ++i) {
    char line[MAX_PATH];
    std::snprintf(line, sizeof line, "C:\\Program Files\\QVStampReader\\%s%s%d%s", kFolders[i % 8],
                  kNames[i % 6], i, kExts[i % 6]);
    SendMessageA(g.window, kAppendLine, 0, reinterpret_cast<LPARAM>(line));
    accumulator += 100;
    SendMessageA(g.progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(g.progress, PBM_SETPOS, static_cast<WPARAM>(accumulator / g.lines), 0);
  }
  QueryPerformanceCounter(&t1);
  g.wallMs = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
  PostMessageA(g.window, kDone, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: logbench settext|replacesel|replacesel-noredraw|none LINES\n");
    return 2;
  }
  if (!std::strcmp(argv[1], "settext")) {
    g.method = Method::kSetText;
  } else if (!std::strcmp(argv[1], "replacesel")) {
    g.method = Method::kReplaceSel;
  } else if (!std::strcmp(argv[1], "replacesel-noredraw")) {
    g.method = Method::kReplaceSelNoRedraw;
  } else if (!std::strcmp(argv[1], "none")) {
    g.method = Method::kNone;
  } else {
    return 2;
  }
  g.lines = std::atoi(argv[2]);
  if (g.lines <= 0) return 2;

  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  const HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "QVLogBench";
  if (!RegisterClassA(&wc)) return 1;
  g.window = CreateWindowExA(0, wc.lpszClassName, "logbench", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                             100, 100, 460, 300, nullptr, nullptr, inst, nullptr);
  if (!g.window) return 1;
  g.edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 36, 24, 383, 158,
                           g.window, nullptr, inst, nullptr);
  g.progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 34, 193, 384, 23,
                               g.window, nullptr, inst, nullptr);
  GdiObject font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Shell Dlg"));
  SendMessageA(g.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  SendMessageA(g.edit, EM_SETLIMITTEXT, 0, 0);
  ShowWindow(g.window, SW_SHOW);
  UpdateWindow(g.window);

  const HANDLE worker = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
  if (!worker) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
  std::printf("logbench: method=%s lines=%d wall_ms=%.1f chars=%d\n", argv[1], g.lines, g.wallMs, g.chars);
  return 0;
}
