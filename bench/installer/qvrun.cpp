// qvrun: runs one Windows program, waits for it, and reports what it cost.
//
//   qvrun.exe [--poll MS] [--settle MS] [--cwd DIR] PROGRAM [ARGS...]
//
// Prints one line of key=value pairs on standard output once the program has ended:
//   wall_ms        from just before CreateProcess to the end of the wait (performance counter)
//   exit_code      the program's exit code
//   user_ms, kernel_ms   CPU time of the program's own process (GetProcessTimes; the largest
//                  figure seen, since Wine too reads it from the running Linux process)
//   peak_ws        largest PeakWorkingSetSize seen, bytes
//   peak_private   largest PagefileUsage / PeakPagefileUsage seen, bytes (private memory)
//   samples        how many memory samples were taken
// The memory counters are sampled every MS milliseconds (default 5) while the program runs,
// and once more after it ended: Wine reads them from the Linux process (VmHWM and friends),
// which is gone once the program has exited, and its "peak" private figure is the current
// one, so only sampling while it runs sees them. Windows keeps them after the end, so the
// last sample there is exact. Child processes of the program are not counted.
// Before it starts the program, qvrun brings up the desktop window (under Wine the first
// program that uses the window system starts the desktop process, which takes seconds; on
// Windows it is always there), and --settle then waits that long, so that the services a
// fresh Wine prefix starts (explorer, services, device manager) have settled and do not
// compete with the program for the processor.
// Exit code: 0 when the program ran (whatever its own exit code), 2 on bad usage, 3 when it
// could not be started.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Owns one kernel handle.
class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() {
    if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// Quotes one argument the way CommandLineToArgvW and the C runtime read it back.
void AppendQuoted(std::string& cmd, const char* arg) {
  if (*arg && !std::strpbrk(arg, " \t\"")) {
    cmd += arg;
    return;
  }
  cmd += '"';
  for (const char* p = arg;; ++p) {
    std::size_t slashes = 0;
    while (*p == '\\') {
      ++slashes;
      ++p;
    }
    if (!*p) {
      cmd.append(slashes * 2, '\\');
      break;
    }
    if (*p == '"') {
      cmd.append(slashes * 2 + 1, '\\');
    } else {
      cmd.append(slashes, '\\');
    }
    cmd += *p;
  }
  cmd += '"';
}

double FileTimeMs(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<double>(v.QuadPart) / 10000.0;
}

// The largest figures seen over the samples.
struct Peaks {
  SIZE_T peakWorkingSet = 0;
  SIZE_T peakPrivate = 0;
  double userMs = 0;
  double kernelMs = 0;
  unsigned samples = 0;

  void Sample(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
      if (FileTimeMs(user) > userMs) userMs = FileTimeMs(user);
      if (FileTimeMs(kernel) > kernelMs) kernelMs = FileTimeMs(kernel);
    }
    PROCESS_MEMORY_COUNTERS pmc;
    std::memset(&pmc, 0, sizeof pmc);
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return;
    ++samples;
    if (pmc.PeakWorkingSetSize > peakWorkingSet) peakWorkingSet = pmc.PeakWorkingSetSize;
    if (pmc.WorkingSetSize > peakWorkingSet) peakWorkingSet = pmc.WorkingSetSize;
    if (pmc.PeakPagefileUsage > peakPrivate) peakPrivate = pmc.PeakPagefileUsage;
    if (pmc.PagefileUsage > peakPrivate) peakPrivate = pmc.PagefileUsage;
  }
};

int Usage() {
  std::fprintf(stderr, "usage: qvrun [--poll MS] [--settle MS] [--cwd DIR] PROGRAM [ARGS...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  DWORD pollMs = 5;
  DWORD settleMs = 0;
  const char* cwd = nullptr;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i += 2) {
    if (i + 1 >= argc) return Usage();
    if (!std::strcmp(argv[i], "--poll")) {
      pollMs = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
      if (pollMs == 0) pollMs = 1;
    } else if (!std::strcmp(argv[i], "--settle")) {
      settleMs = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
    } else if (!std::strcmp(argv[i], "--cwd")) {
      cwd = argv[i + 1];
    } else {
      return Usage();
    }
  }
  if (i >= argc) return Usage();

  std::string cmd;
  for (int k = i; k < argc; ++k) {
    if (k > i) cmd += ' ';
    AppendQuoted(cmd, argv[k]);
  }

  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  std::memset(&pi, 0, sizeof pi);

  GetDesktopWindow();
  if (settleMs) Sleep(settleMs);

  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(argv[i], &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, cwd, &si, &pi)) {
    std::fprintf(stderr, "qvrun: cannot start %s (error %lu)\n", argv[i],
                 static_cast<unsigned long>(GetLastError()));
    return 3;
  }
  Handle process(pi.hProcess);
  Handle thread(pi.hThread);

  Peaks peaks;
  while (WaitForSingleObject(process.get(), pollMs) == WAIT_TIMEOUT) peaks.Sample(process.get());
  QueryPerformanceCounter(&t1);
  peaks.Sample(process.get());

  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  const double wallMs =
      static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);

  std::printf(
      "qvrun: wall_ms=%.1f exit_code=%lu user_ms=%.1f kernel_ms=%.1f peak_ws=%llu "
      "peak_private=%llu samples=%u\n",
      wallMs, static_cast<unsigned long>(exitCode), peaks.userMs, peaks.kernelMs,
      static_cast<unsigned long long>(peaks.peakWorkingSet),
      static_cast<unsigned long long>(peaks.peakPrivate), peaks.samples);
  std::fflush(stdout);
  return 0;
}
