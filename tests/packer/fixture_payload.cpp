#include "fixture_payload.h"

namespace qvpack_test {

const std::vector<FixtureFile>& FixtureFiles() {
  // Plain literals are GBK (the build's execution character set), u8 literals UTF-8.
  static const std::vector<FixtureFile> files = [] {
    std::string log;
    for (int i = 0; i < 2000; ++i) log += "2024-01-01 12:00:" + std::to_string(i % 60) + " started worker " + std::to_string(i) + "\n";
    return std::vector<FixtureFile>{
        {u8"B.txt", "\\B.txt", "upper case sorts first"},
        {u8"a.txt", "\\a.txt", "lower"},
        {u8"ab.txt", "\\ab.txt", "abc"},
        {u8"bin/data.bin", "\\bin\\data.bin", RandomBytes(70000, 1)},
        {u8"bin/deep/nested/log.txt", "\\bin\\deep\\nested\\log.txt", log},
        {u8"文档/说明.txt", "\\文档\\说明.txt", u8"版本说明：第一版\r\n"},
    };
  }();
  return files;
}

void WriteFixture(const fs::path& root, bool reverse) {
  const std::vector<FixtureFile>& fixture = FixtureFiles();
  std::vector<FixtureFile> files(fixture.begin(), fixture.end());
  if (reverse) files.assign(fixture.rbegin(), fixture.rend());
  for (const FixtureFile& f : files) WriteFile(root / U8(f.utf8_path), f.content);
}

}  // namespace qvpack_test
