// The host's side of names and paths: how file-system names become the installer's GBK
// entry names and back, and how paths are given to the narrow runtime calls.
// POSIX: file names are UTF-8 and are converted with iconv. Windows: names come from the
// wide API and are converted to code page 936, so a name that has no GBK form is seen as
// such instead of being silently replaced by '?'.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace qvpack {

// Converts one path component to GBK. False when a character has no GBK form (or the
// name is not valid text in the host's encoding).
bool NativeNameToGbk(const std::filesystem::path& component, std::string& gbk);

// GBK text as the terminal shows it: UTF-8 on POSIX, unchanged on Windows (its console
// uses the ANSI code page). Bytes that do not convert are shown as '?'.
std::string GbkToTerminal(std::string_view gbk);

// GBK entry text as a narrow path for the runtime's file calls (fopen, mkdir): UTF-8 on
// POSIX, unchanged on Windows. False when the text is not valid GBK.
bool GbkToNarrowPath(std::string_view gbk, std::string& narrow);

// A command-line argument (narrow, in the host's encoding) as a path.
std::filesystem::path PathFromArgument(const char* argument);

// A path as narrow text in the host's encoding, for narrow runtime calls and messages.
std::string NarrowPath(const std::filesystem::path& path);

// fopen for a path of any name (the wide call on Windows).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// True when standard error is a terminal (progress display).
bool StderrIsTerminal();

}  // namespace qvpack
