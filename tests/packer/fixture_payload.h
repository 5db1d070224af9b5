// The small payload most packer tests pack: nested folders, a Chinese file name, names
// whose catalogue order differs from a signed-char order, text and random data.
#pragma once

#include <string>
#include <vector>

#include "packer_test_support.h"

namespace qvpack_test {

struct FixtureFile {
  std::string utf8_path;  // below the payload folder, '/' separated
  std::string gbk_name;   // the entry name the package must hold
  std::string content;
};

// The fixture's files in catalogue order.
const std::vector<FixtureFile>& FixtureFiles();

// Writes the fixture below `root`; `reverse` creates the files in the opposite order.
void WriteFixture(const fs::path& root, bool reverse = false);

}  // namespace qvpack_test
