// Windows names come from the wide API; entry names are code page 936 (GBK) whatever the
// machine's ANSI code page, and narrow paths for the runtime are in the ANSI code page.
#include <windows.h>
#include <io.h>

#include <cstring>

#include "host_text.h"

namespace qvpack {
namespace {

constexpr UINT kGbkCodePage = 936;

bool WideToMulti(UINT code_page, const std::wstring& wide, std::string& out, bool strict) {
  out.clear();
  if (wide.empty()) return true;
  BOOL used_default = FALSE;
  DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL* used = strict ? &used_default : nullptr;
  int n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, used);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, used);
  return n > 0 && !used_default;
}

bool MultiToWide(UINT code_page, std::string_view text, std::wstring& out, bool strict) {
  out.clear();
  if (text.empty()) return true;
  DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  int n = MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  n = MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), out.data(), n);
  return n > 0;
}

}  // namespace

bool NativeNameToGbk(const std::filesystem::path& component, std::string& gbk) {
  return WideToMulti(kGbkCodePage, component.native(), gbk, true);
}

std::string GbkToTerminal(std::string_view gbk) {
  // The console shows the ANSI code page; a GBK machine needs no change.
  if (GetACP() == kGbkCodePage) return std::string(gbk);
  std::wstring wide;
  std::string out;
  if (MultiToWide(kGbkCodePage, gbk, wide, false) && WideToMulti(CP_ACP, wide, out, false)) return out;
  return std::string(gbk);
}

bool GbkToNarrowPath(std::string_view gbk, std::string& narrow) {
  if (GetACP() == kGbkCodePage) {
    narrow.assign(gbk);
    return true;
  }
  std::wstring wide;
  return MultiToWide(kGbkCodePage, gbk, wide, true) && WideToMulti(CP_ACP, wide, narrow, true);
}

std::filesystem::path PathFromArgument(const char* argument) {
  std::wstring wide;
  MultiToWide(CP_ACP, argument, wide, false);
  return std::filesystem::path(wide);
}

std::string NarrowPath(const std::filesystem::path& path) {
  std::string out;
  WideToMulti(CP_ACP, path.native(), out, false);
  return out;
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  std::wstring wide_mode(mode, mode + std::strlen(mode));
  return _wfopen(path.c_str(), wide_mode.c_str());
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace qvpack
