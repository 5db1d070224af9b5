// A file whose size changes between the folder walk and its reading. The pack runs
// in-process so that the test can change the file at exactly that moment.
#include <gtest/gtest.h>

#include "blob_names.h"
#include "pack.h"
#include "packer_test_support.h"

namespace qvpack_test {
namespace {

struct ChangeCase {
  const char* label;
  std::string new_content;  // written over "z_last.txt" (10 bytes when walked)
};

TEST(SizeChange, FileThatGrowsOrShrinksWhileReadIsRefused) {
  for (const ChangeCase& c : {ChangeCase{"grows", "0123456789+"}, ChangeCase{"shrinks", "012345678"}}) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    WriteFile(dir / "payload" / "a_first.bin", RandomBytes(300000, 7));
    WriteFile(dir / "payload" / "z_last.txt", "0123456789");
    qvpack::PackOptions options;
    int hooked = 0;
    options.before_read = [&](const fs::path& path) {
      if (path.filename() == "z_last.txt") {
        WriteFile(path, c.new_content);
        ++hooked;
      }
    };
    qvpack::Status s = qvpack::Pack(dir / "payload", dir / "out", options);
    EXPECT_EQ(hooked, 1);
    EXPECT_EQ(s.code, qvpack::ExitCode::kFileChanged);
    EXPECT_NE(s.message.find("z_last.txt"), std::string::npos) << s.message;
    // The stream was half written when the change showed: nothing of it may remain.
    EXPECT_TRUE(fs::is_empty(dir / "out"));
  }
}

TEST(SizeChange, UnchangedFilesPackInProcessToo) {
  ScratchDir dir;
  WriteFile(dir / "payload" / "z_last.txt", "0123456789");
  qvpack::PackOptions options;
  qvpack::Status s = qvpack::Pack(dir / "payload", dir / "out", options);
  EXPECT_TRUE(s.ok()) << s.message;
  EXPECT_TRUE(fs::exists(dir / "out" / qvpack::kStreamBlobName));
}

}  // namespace
}  // namespace qvpack_test
