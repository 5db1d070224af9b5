// POSIX names are UTF-8; iconv converts them to and from GBK.
#include <errno.h>
#include <iconv.h>
#include <unistd.h>

#include "host_text.h"

namespace qvpack {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Whole-text conversion; false on any character without a form in the target
  // or on an incomplete sequence at the end.
  bool Convert(std::string_view in, std::string& out) const {
    out.clear();
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char buffer[512];
    while (src_left > 0) {
      char* dst = buffer;
      std::size_t dst_left = sizeof buffer;
      std::size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, dst - buffer);
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
      // iconv counts irreversible conversions in r; GBK<->UTF-8 has none, but a
      // non-zero count would mean a substituted character.
      if (r != static_cast<std::size_t>(-1) && r != 0) return false;
    }
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    if (iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<std::size_t>(-1)) return false;
    out.append(buffer, dst - buffer);
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool NativeNameToGbk(const std::filesystem::path& component, std::string& gbk) {
  static const Converter to_gbk("GBK", "UTF-8");
  return to_gbk.Convert(component.native(), gbk);
}

std::string GbkToTerminal(std::string_view gbk) {
  static const Converter to_utf8("UTF-8", "GBK");
  std::string out;
  if (to_utf8.Convert(gbk, out)) return out;
  // Not valid GBK: show ASCII as is and everything else as '?'.
  out.clear();
  for (char c : gbk) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
  return out;
}

bool GbkToNarrowPath(std::string_view gbk, std::string& narrow) {
  static const Converter to_utf8("UTF-8", "GBK");
  return to_utf8.Convert(gbk, narrow);
}

std::filesystem::path PathFromArgument(const char* argument) { return std::filesystem::path(argument); }

std::string NarrowPath(const std::filesystem::path& path) { return path.native(); }

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace qvpack
