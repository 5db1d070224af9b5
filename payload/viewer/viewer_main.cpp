// QVStampPage.exe: a stand-in for the application's viewer. It shows the path of the .esdf
// document it was opened with (the association starts it as `QVStampPage.exe "%1"`).
//
// With the environment variable QV_VIEWER_RECORD set, it first writes that path (GBK, no line
// end; empty when no document was named) to the file the variable names, so tests can check
// it without looking at the screen.
// Exit code: 0 after the window was closed; 2 when the window could not be created; 3 when
// the record was asked for but could not be written (the window is still shown).
#include <windows.h>

#include <string>

#include "command_line.h"
#include "record_file.h"
#include "viewer_ids.h"
#include "viewer_window.h"

namespace {

// The record file named by the environment, or empty when none is asked for.
std::string RecordPathFromEnvironment() {
  const DWORD needed = ::GetEnvironmentVariableA(QV_VIEWER_RECORD_VAR, nullptr, 0);
  if (needed == 0) return std::string();
  std::string value(needed, '\0');
  const DWORD length = ::GetEnvironmentVariableA(QV_VIEWER_RECORD_VAR, value.data(), needed);
  value.resize(length < needed ? length : 0);
  return value;
}

// The running program's path; empty when it does not fit.
std::string ModulePath() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(buffer, length);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const std::string documentPath = qv::sample::DocumentPathFromCommandLine(::GetCommandLineA(), ModulePath());

  bool recordFailed = false;
  const std::string recordPath = RecordPathFromEnvironment();
  if (!recordPath.empty()) recordFailed = !qv::sample::WriteRecordFile(recordPath, documentPath);

  const int result = qv::sample::RunViewerWindow(instance, documentPath, showCommand);
  if (result < 0) return 2;
  return recordFailed ? 3 : 0;
}
