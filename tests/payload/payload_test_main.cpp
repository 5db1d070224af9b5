// Test entry of the payload tests: the first argument left after GoogleTest's own flags is the
// staged payload folder.
#include <gtest/gtest.h>

#include <cstdio>

#include "payload_test_support.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s [gtest flags] STAGED_PAYLOAD_FOLDER\n", argv[0]);
    return 2;
  }
  qv::payload_test::SetStageDir(argv[1]);
  return RUN_ALL_TESTS();
}
