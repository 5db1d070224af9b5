// The installation sequence's own message texts, the codes of its "setup damaged" message,
// and the exit codes of a fatal end. Plain C++: no windows.h.
//
// The boxes (all owned by the setup window):
//   M1 kBrowserNoticeText, caption kNoticeCaption, OK + information     (browser running)
//   M2 FormatCorruptSetupMessage(code), no caption (the application's name), OK + error
//   M3 kFolderAccessText, caption kErrorCaption, OK + error           (then exit 1603)
//   M4 WriteFailedMessage(destination), caption kErrorCaption, Abort/Retry/Ignore + error
#pragma once

#include <cstdint>
#include <string>

namespace qv::setup {

inline constexpr char kBrowserNoticeText[] =
    "即将开始安装,此过程会关闭IE浏览器,请保存好您的工作,点击\"确定\"继续";
inline constexpr char kNoticeCaption[] = "提示";
inline constexpr char kFolderAccessText[] = "目录访问失败!请使用管理员权限运行本程序";
inline constexpr char kErrorCaption[] = "错误";

// Codes of M2: which part of the embedded package could not be used.
inline constexpr std::int32_t kCodeIndexBlob = 0;   // resource 129 not found, loaded or unpacked
inline constexpr std::int32_t kCodeStreamBlob = 1;  // resource 130 not found, loaded or unpacked
inline constexpr std::int32_t kCodeIndexFile = 4;   // the unpacked index refused by LoadCatalog

// Exit codes of the process when the installation ends early. A completed installation,
// and one that the user cancelled from the setup window, end with 0.
inline constexpr int kExitFatalError = 1603;    // a folder of the installation cannot be used
inline constexpr int kExitUserAborted = 1602;   // Abort chosen on a file that cannot be written

// "安装程序被损坏,请重新下载!\nCode=<code>", formatted into a 256-byte buffer; every 32-bit
// code fits (the longest, -2147483648, takes 38 bytes).
std::string FormatCorruptSetupMessage(std::int32_t code);

// M4's text: the destination path followed directly by "文件写入失败!\n".
std::string WriteFailedMessage(const std::string& destination);

}  // namespace qv::setup
