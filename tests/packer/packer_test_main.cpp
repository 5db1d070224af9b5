// The packer tests take the qvpack program to run as their first argument.
#include <gtest/gtest.h>

#include <cstdio>

#include "host_text.h"
#include "packer_test_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: packer_tests [gtest options] PATH_TO_QVPACK\n");
    return 2;
  }
  qvpack_test::SetQvpackPath(qvpack::PathFromArgument(argv[1]));
  return RUN_ALL_TESTS();
}
