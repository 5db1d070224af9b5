#include "install_paths.h"

namespace qv::setup {
namespace {

// A text made of a prefix, installDir and a suffix, and the buffer it is formatted into.
// These mirror the formats of RegisterComponents and CreateShortcuts and the installer's
// own paths; a change there must be made here too.
struct BuiltText {
  const char* prefix;
  const char* suffix;
  std::size_t buffer;
};

constexpr std::size_t kParameterBufferSize = 264;

constexpr BuiltText kBuiltTexts[] = {
    {"", "", kPathBufferSize},
    {"", kBackupFileName, kPathBufferSize},
    {"/s \"", "\\docrenderocx.ocx\"", kParameterBufferSize},
    {"/s \"", "\\ConvertSeal.ocx\"", kParameterBufferSize},
    {"/s \"", "\\ReadKeyInfo.ocx\"", kParameterBufferSize},
    {"/s \"", "\\SealViews.ocx\"", kParameterBufferSize},
    {"/s \"", "\\uninstall.reg\"", kParameterBufferSize},
    {"/s \"", "\\shell.reg\"", kParameterBufferSize},
    {"", "\\QVStampPage.exe", kPathBufferSize},
    {"", "\\uninstall.exe", kPathBufferSize},
};

bool Fits(std::size_t length, std::size_t buffer) { return length < buffer; }

}  // namespace

std::string InstallDirFor(const std::string& programFiles) {
  return programFiles + "\\" + kInstallFolderName + "\\";
}

std::string EntryRelativePath(const std::string& entryName) {
  return entryName.empty() ? std::string() : entryName.substr(1);
}

bool InstallTextsFit(const std::string& installDir, const qv::package::PackageCatalog& catalog) {
  for (const BuiltText& text : kBuiltTexts) {
    const std::size_t length = std::char_traits<char>::length(text.prefix) + installDir.size() +
                               std::char_traits<char>::length(text.suffix);
    if (!Fits(length, text.buffer)) return false;
  }
  for (const auto& entry : catalog) {
    if (!Fits(installDir.size() + EntryRelativePath(entry.first).size(), kPathBufferSize)) {
      return false;
    }
  }
  return true;
}

}  // namespace qv::setup
