// A stand-in program for the end-to-end tests, copied under the names that the installer
// deals with: "iexplore.exe" (a running browser) and "uninstall.exe" of an earlier
// installation (which the installer copies to the temp folder and runs with "/s").
//
// Arguments:
//   sleep <ms>       sleep that long, then exit 0
//   (anything else)  the steps below, then exit 0
// Environment (all optional, read in this order):
//   QV_E2E_RECORD    file that receives, replaced: "CommandLine=<GetCommandLineA()>\r\n",
//                    "Module=<own path>\r\n", written at the start, and at the end
//                    "ProbeAtEnd=<0|1>\r\n" (whether QV_E2E_PROBE exists then)
//   QV_E2E_HOLD      name N: set the event "N-started", then wait up to 120 s for "N-release"
//   QV_E2E_SLEEP_MS  sleep this long
//   QV_E2E_PROBE     a path looked at just before the end
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ModulePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

void WriteRecord(const std::string& path, const std::string& text, const char* mode) {
  if (std::FILE* file = std::fopen(path.c_str(), mode)) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

void Hold(const std::string& name) {
  const HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-started").c_str());
  const HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (name + "-release").c_str());
  if (started != nullptr) SetEvent(started);
  if (release != nullptr) {
    WaitForSingleObject(release, 120000);
  } else {
    Sleep(120000);
  }
  if (started != nullptr) CloseHandle(started);
  if (release != nullptr) CloseHandle(release);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
    Sleep(std::strtoul(argv[2], nullptr, 10));
    return 0;
  }
  const std::string record = Environment("QV_E2E_RECORD");
  if (!record.empty()) {
    WriteRecord(record,
                std::string("CommandLine=") + GetCommandLineA() + "\r\nModule=" + ModulePath() + "\r\n",
                "wb");
  }
  const std::string hold = Environment("QV_E2E_HOLD");
  if (!hold.empty()) Hold(hold);
  const std::string sleep = Environment("QV_E2E_SLEEP_MS");
  if (!sleep.empty()) Sleep(std::strtoul(sleep.c_str(), nullptr, 10));
  if (!record.empty()) {
    const std::string probe = Environment("QV_E2E_PROBE");
    const bool present = !probe.empty() && GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES;
    WriteRecord(record, std::string("ProbeAtEnd=") + (present ? "1" : "0") + "\r\n", "ab");
  }
  return 0;
}
