#include "standin_records.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "window_query.h"

namespace launcher_test {

std::string RecordPath(const char* name) {
  char folder[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::string(folder) + "\\QVStampSample\\" + name;
}

std::vector<StandinRun> ReadRuns(const char* name) {
  std::vector<StandinRun> runs;
  std::ifstream in(RecordPath(name), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    StandinRun run;
    int argsAt = -1;
    if (std::sscanf(line.c_str(), "start=%llu end=%llu pid=%lu args=%n", &run.start, &run.end,
                    &run.pid, &argsAt) != 3 || argsAt < 0) {
      ADD_FAILURE() << "unreadable record line in " << name << ": " << line;
      continue;
    }
    run.args = line.substr(static_cast<size_t>(argsAt));
    runs.push_back(run);
  }
  return runs;
}

void ClearRuns(const char* name) { DeleteFileA(RecordPath(name).c_str()); }

std::vector<StandinRun> WaitForRuns(const char* name, size_t count, unsigned timeoutMs) {
  qv::ui::WaitUntil([&] { return ReadRuns(name).size() >= count; }, timeoutMs);
  return ReadRuns(name);
}

unsigned long long NowFileTime() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace launcher_test
