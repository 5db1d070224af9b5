// Reading what the stand-in programs recorded: one line per run in
// C:\ProgramData\QVStampSample\<name> ("start=<FILETIME> end=<FILETIME> pid=<id> args=<text>").
#pragma once

#include <string>
#include <vector>

namespace launcher_test {

struct StandinRun {
  unsigned long long start = 0;  // FILETIME counts (UTC, 100 ns)
  unsigned long long end = 0;
  unsigned long pid = 0;
  std::string args;  // the command line after the program's name
};

constexpr char kRedistRecord[] = "vcr.txt";
constexpr char kInstallerRecord[] = "installer.txt";

std::string RecordPath(const char* name);
// Every run recorded so far; lines that do not parse fail the calling test.
std::vector<StandinRun> ReadRuns(const char* name);
void ClearRuns(const char* name);
// Waits up to `timeoutMs` until at least `count` runs are recorded; returns what is there.
std::vector<StandinRun> WaitForRuns(const char* name, size_t count, unsigned timeoutMs);

// The current time as the stand-ins record it (GetSystemTimeAsFileTime).
unsigned long long NowFileTime();

}  // namespace launcher_test
