// Progress of a long pack on standard error: files done, bytes read and the compression
// ratio so far, redrawn on one line at most a few times a second. Shown only when
// enabled (the caller enables it when standard error is a terminal).
#pragma once

#include <chrono>
#include <cstdint>

namespace qvpack {

class Progress {
 public:
  Progress(bool enabled, std::uint64_t total_files, std::uint64_t total_bytes);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Update(std::uint64_t files, std::uint64_t bytes_in, std::uint64_t bytes_out);
  // Ends the progress line (also done on destruction).
  void Done();

 private:
  void Draw(std::uint64_t files, std::uint64_t bytes_in, std::uint64_t bytes_out);

  bool enabled_;
  bool drawn_ = false;
  std::uint64_t total_files_;
  std::uint64_t total_bytes_;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace qvpack
