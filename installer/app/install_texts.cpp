#include "install_texts.h"

#include <cstdio>

namespace qv::setup {

std::string FormatCorruptSetupMessage(std::int32_t code) {
  char text[256];
  std::snprintf(text, sizeof text, "安装程序被损坏,请重新下载!\nCode=%d", static_cast<int>(code));
  return text;
}

std::string WriteFailedMessage(const std::string& destination) {
  return destination + "文件写入失败!\n";
}

}  // namespace qv::setup
