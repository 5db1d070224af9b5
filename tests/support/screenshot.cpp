#include "screenshot.h"

#include <cstdio>
#include <memory>

namespace qv::ui {
namespace {

struct DcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::string& bmpPath) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser> screen(GetDC(nullptr));
  if (!screen) return false;
  std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> memory(CreateCompatibleDC(screen.get()));
  if (!memory) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDeleter> bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return false;
  const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  const BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
  GdiFlush();
  SelectObject(memory.get(), old);
  if (!copied) return false;

  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;

  std::unique_ptr<FILE, FileCloser> out(std::fopen(bmpPath.c_str(), "wb"));
  if (!out) return false;
  bool ok = std::fwrite(&file, sizeof(file), 1, out.get()) == 1;
  ok = ok && std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out.get()) == 1;
  ok = ok && std::fwrite(bits, 1, imageSize, out.get()) == imageSize;
  return ok && std::fclose(out.release()) == 0;
}

}  // namespace qv::ui
