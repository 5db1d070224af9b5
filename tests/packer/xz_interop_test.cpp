// Our blobs read by a decoder no one here wrote: xz-utils' LZMA-alone reader must give
// exactly the bytes the installer's decoder gives.
#include <gtest/gtest.h>

#include "blob_names.h"
#include "fixture_payload.h"
#include "package_reader.h"
#include "packer_test_support.h"

namespace qvpack_test {
namespace {

fs::path FindXz() {
  for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"}) {
    fs::path xz = fs::path(dir) / "xz";
    if (fs::exists(xz)) return xz;
  }
  return {};
}

TEST(XzInterop, XzDecodesBothBlobsToTheSameBytes) {
  const fs::path xz = FindXz();
  ASSERT_FALSE(xz.empty()) << "xz-utils is part of the build machine's set-up";
  ScratchDir dir;
  WriteFixture(dir / "payload");
  ASSERT_EQ(RunQvpack({"pack", dir / "payload", dir / "out"}).exit_code, 0);
  for (const char* blob : {qvpack::kIndexBlobName, qvpack::kStreamBlobName}) {
    SCOPED_TRACE(blob);
    RunResult r = RunProgram(xz, {"--decompress", "--format=lzma", "--stdout", dir / "out" / blob});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    Decoded ours = DecodeBlob(dir / "out" / blob);
    ASSERT_TRUE(ours.ok);
    EXPECT_GT(r.out.size(), 0u);
    EXPECT_TRUE(r.out == ours.bytes);
  }
}

TEST(XzInterop, XzListsTheHeaderFieldsWeWrite) {
  // xz --robot --list on .lzma files is not supported; its verbose test reads the header.
  const fs::path xz = FindXz();
  ASSERT_FALSE(xz.empty());
  ScratchDir dir;
  WriteFixture(dir / "payload");
  ASSERT_EQ(RunQvpack({"pack", dir / "payload", dir / "out"}).exit_code, 0);
  // A blob whose declared size is one byte larger than its data must fail in xz: the size
  // field is read and enforced, not ignored.
  std::string blob = ReadFile(dir / "out" / qvpack::kStreamBlobName);
  blob[5] = static_cast<char>(blob[5] + 1);
  WriteFile(dir / "wrong.lzma", blob);
  RunResult r = RunProgram(xz, {"--test", "--format=lzma", dir / "wrong.lzma"});
  EXPECT_NE(r.exit_code, 0);
}

}  // namespace
}  // namespace qvpack_test
