// The package code's only contact with the platform: creating and entering directories, and
// the blocking error report of a failed extraction.
//   Windows: _mkdir / _chdir of the runtime library; MessageBoxA(no owner, text, caption,
//            MB_ICONERROR | MB_OK).
//   Other platforms: mkdir(path, 0777) / chdir; the report is printed to standard error.
// No windows.h here: only the Windows implementation file includes it.
#pragma once

#include <functional>
#include <utility>

namespace qv::package {

// Caption of the failed-extraction report.
inline constexpr char kExtractErrorCaption[] = "ORX解压错误!";

// Creates directory `path` (relative to the current directory or absolute). 0 on success,
// -1 on failure (existing directory included).
int MakeDirectory(const char* path);

// Makes `path` the process's current directory. 0 on success, -1 on failure.
int ChangeDirectory(const char* path);

// Shows a failed-extraction report and returns once it has been acknowledged.
using ExtractErrorReporter = std::function<void(const char* text, const char* caption)>;

// The platform's own reporter (the message box on Windows, standard error elsewhere).
void PlatformExtractErrorReport(const char* text, const char* caption);

// Reports that entry `entryName` could not be extracted: calls the current reporter with
// the name as text and kExtractErrorCaption. Blocks until the reporter returns.
void ReportExtractError(const char* entryName);

// Replaces the current reporter (an empty function restores the platform's own) and
// returns the previous one. Not thread-safe: set it before extraction starts.
ExtractErrorReporter SetExtractErrorReporter(ExtractErrorReporter reporter);

// Installs a reporter for the lifetime of the guard (tests), then puts the previous back.
class ScopedExtractErrorReporter {
 public:
  explicit ScopedExtractErrorReporter(ExtractErrorReporter reporter)
      : previous_(SetExtractErrorReporter(std::move(reporter))) {}
  ~ScopedExtractErrorReporter() { SetExtractErrorReporter(std::move(previous_)); }
  ScopedExtractErrorReporter(const ScopedExtractErrorReporter&) = delete;
  ScopedExtractErrorReporter& operator=(const ScopedExtractErrorReporter&) = delete;

 private:
  ExtractErrorReporter previous_;
};

}  // namespace qv::package
