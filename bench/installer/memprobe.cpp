// memprobe: allocates and touches the given number of MiB, holds it for a moment, and ends.
// The benchmark runs it under qvrun to check that the memory figures read under Wine are
// sensible (a known allocation must show up in the peak working set).
//   memprobe.exe MIB [HOLD_MS]
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::size_t mib = std::strtoul(argv[1], nullptr, 10);
  const DWORD holdMs = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
  const std::size_t size = mib << 20;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size]);
  if (!block) return 1;
  for (std::size_t i = 0; i < size; i += 4096) block[i] = static_cast<unsigned char>(i >> 12);
  Sleep(holdMs);
  volatile unsigned char sink = block[size / 2];
  (void)sink;
  return 0;
}
