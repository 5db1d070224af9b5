// A stand-in program for the system tests, copied at test time under the names that the code
// under test looks for (iexplore.exe, regsvr32.exe, ZuduSetup.exe, uninstall.exe...).
//
// Environment:
//   QV_CHILD_DELAY_MS  sleep this long before anything else
//   QV_CHILD_LOG       append "<own file name>|<command line after the program>\n" to this file
// Arguments:
//   hold <name>            set event "<name>-ready", then wait up to 60 s for "<name>-release";
//                          exits with code 7
//   mark <ms> <file>       sleep ms, then create file
//   (anything else)        exit with code 0 after the steps above

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The command line without the program part, as the started program received it.
const char* ArgumentTail() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    const char* close = std::strchr(line + 1, '"');
    line = close != nullptr ? close + 1 : line + std::strlen(line);
  } else {
    while (*line != '\0' && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

void AppendToLog(const char* logPath) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const char* name = std::strrchr(self, '\\');
  name = name != nullptr ? name + 1 : self;
  // The log is shared by children that run one after the other; append mode is enough.
  if (std::FILE* log = std::fopen(logPath, "ab")) {
    std::fprintf(log, "%s|%s\n", name, ArgumentTail());
    std::fclose(log);
  }
}

int Hold(const std::string& name) {
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-ready").c_str());
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (name + "-release").c_str());
  if (ready != nullptr) SetEvent(ready);
  if (release != nullptr) {
    WaitForSingleObject(release, 60000);
  } else {
    Sleep(60000);
  }
  return 7;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* delay = std::getenv("QV_CHILD_DELAY_MS")) Sleep(std::strtoul(delay, nullptr, 10));
  if (const char* log = std::getenv("QV_CHILD_LOG")) AppendToLog(log);
  if (argc >= 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
  if (argc >= 4 && std::strcmp(argv[1], "mark") == 0) {
    Sleep(std::strtoul(argv[2], nullptr, 10));
    if (std::FILE* marker = std::fopen(argv[3], "wb")) std::fclose(marker);
  }
  return 0;
}
