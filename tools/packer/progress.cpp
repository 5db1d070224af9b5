#include "progress.h"

#include <cstdio>

namespace qvpack {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
double Megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }
}  // namespace

Progress::Progress(bool enabled, std::uint64_t total_files, std::uint64_t total_bytes)
    : enabled_(enabled), total_files_(total_files), total_bytes_(total_bytes) {}

Progress::~Progress() { Done(); }

void Progress::Update(std::uint64_t files, std::uint64_t bytes_in, std::uint64_t bytes_out) {
  if (!enabled_) return;
  auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_ < kRedrawInterval && files != total_files_) return;
  last_ = now;
  Draw(files, bytes_in, bytes_out);
}

void Progress::Draw(std::uint64_t files, std::uint64_t bytes_in, std::uint64_t bytes_out) {
  double ratio = bytes_in ? 100.0 * static_cast<double>(bytes_out) / static_cast<double>(bytes_in) : 0.0;
  std::fprintf(stderr, "\rqvpack: %llu/%llu files, %.1f/%.1f MiB, ratio %.1f%%   ",
               static_cast<unsigned long long>(files), static_cast<unsigned long long>(total_files_),
               Megabytes(bytes_in), Megabytes(total_bytes_), ratio);
  std::fflush(stderr);
  drawn_ = true;
}

void Progress::Done() {
  if (enabled_ && drawn_) {
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  drawn_ = false;
  enabled_ = false;
}

}  // namespace qvpack
