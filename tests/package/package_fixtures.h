// Test fixtures for the package archive: temp folders, files, hand-built index records and
// LZMA-alone blobs made with liblzma's own encoder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qv::package::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system temp folder, removed with its content on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // path / name as a narrow string.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Restores the current directory on destruction.
class CurrentDirGuard {
 public:
  CurrentDirGuard() : saved_(std::filesystem::current_path()) {}
  ~CurrentDirGuard();
  CurrentDirGuard(const CurrentDirGuard&) = delete;
  CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

 private:
  std::filesystem::path saved_;
};

void WriteFile(const std::string& path, const Bytes& content);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

Bytes BytesOf(const std::string& text);
// Deterministic, moderately compressible test data.
Bytes SampleData(std::size_t size, std::uint32_t seed);

// The 512-byte header: the banner, its NUL, zero filler.
Bytes IndexHeader();

struct RecordSpec {
  std::uint8_t flag = 0;  // 1 = body scrambled
  std::string name;       // copied into the 260-byte field, NUL-padded
  std::uint8_t digest[32] = {};
  std::int32_t offset = 0;
  std::int32_t length = 0;
};
// One 301-byte record laid out by hand (byte 0 flag, 1 name, 261 digest, 293 offset, 297
// length), its body scrambled with the packing tool's rule when flag is 1.
Bytes MakeRecord(const RecordSpec& rec);

// A record describing `plain` stored at `offset` of a stream: digest of the plain bytes.
RecordSpec SpecFor(const std::string& name, const Bytes& plain, std::int32_t offset, bool scrambled);

// The packing tool's byte rule, written here independently: XOR with the key, then swap.
std::uint8_t ToolScramble(std::uint8_t plain);

// LZMA-alone blob of `data` made by liblzma's lzma_alone_encoder (which writes the "size
// unknown" marker and an end marker); the size field is then set to the real size.
Bytes EncodeBlob(const Bytes& data);
void SetDeclaredSize(Bytes& blob, std::uint64_t size);

}  // namespace qv::package::test
