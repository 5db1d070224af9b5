// Test support for the packing tool: scratch folders, files with any names, running
// qvpack as a child process, and reading a package back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qvpack_test {

namespace fs = std::filesystem;

// The qvpack program under test (the test program's first argument).
const fs::path& QvpackPath();
void SetQvpackPath(const fs::path& path);

// A UTF-8 relative path as a path (the wide form on Windows).
fs::path U8(const std::string& utf8);

// A fresh folder under the temp folder, removed with its content afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& rel) const { return path_ / rel; }

 private:
  fs::path path_;
};

// Writes `bytes` to `path`, creating its folders.
void WriteFile(const fs::path& path, const std::string& bytes);
std::string ReadFile(const fs::path& path);

// Every file below `root`: relative path (generic form) -> content.
std::vector<std::pair<std::string, std::string>> TreeContents(const fs::path& root);

struct RunResult {
  int exit_code = -1;
  std::string out;  // standard output, raw bytes
  std::string err;  // standard error, raw bytes
};

// Runs a program with arguments, standard output and error captured.
RunResult RunProgram(const fs::path& program, const std::vector<fs::path>& args);
inline RunResult RunQvpack(const std::vector<fs::path>& args) { return RunProgram(QvpackPath(), args); }

// Deterministic pseudo-random bytes.
std::string RandomBytes(std::size_t size, std::uint32_t seed);

// The text of a path as the tool shows it in messages (UTF-8 on POSIX, ANSI on Windows).
std::string Shown(const fs::path& path);

}  // namespace qvpack_test
