// The name rules on GBK entry names, byte by byte (names written as escapes so that the
// GBK bytes are exact).
#include <gtest/gtest.h>

#include "entry_names.h"

namespace qvpack {
namespace {

struct NameCase {
  std::string name;
  ExitCode expected;
};

TEST(EntryNames, CheckEntryNameTable) {
  const std::string folder200 = "\\" + std::string(200, 'd') + "\\";
  const std::vector<NameCase> cases = {
      {"\\readme.txt", ExitCode::kOk},
      {"\\bin\\data\\x.dat", ExitCode::kOk},
      {"\\\xCE\xC4\xB5\xB5\\\xCB\xB5\xC3\xF7.txt", ExitCode::kOk},  // 文档\说明.txt
      {"\\\x81\x7C.txt", ExitCode::kOk},        // trail byte '|' belongs to the character
      {"\\\x81\x5C.txt", ExitCode::kNameUnusable},  // trail byte '\' would split the name
      {"\\\x81", ExitCode::kNameUnusable},      // lead byte without its trail
      {folder200 + std::string(57, 'f'), ExitCode::kOk},  // 259 bytes
      {folder200 + std::string(58, 'f'), ExitCode::kNameTooLong},
      {"\\a<b", ExitCode::kNameUnusable},
      {"\\a:b", ExitCode::kNameUnusable},
      {"\\a\"b", ExitCode::kNameUnusable},
      {"\\a|b", ExitCode::kNameUnusable},
      {"\\a*b", ExitCode::kNameUnusable},
      {"\\tab\there", ExitCode::kNameUnusable},
      {"\\name.", ExitCode::kNameUnusable},
      {"\\name \\x", ExitCode::kNameUnusable},
      {"\\a\\\\b", ExitCode::kNameUnusable},
      {"\\NUL", ExitCode::kNameUnusable},
      {"\\bin\\Com1.txt", ExitCode::kNameUnusable},
      {"\\lpt9", ExitCode::kNameUnusable},
      {"\\com0", ExitCode::kOk},
      {"\\console.txt", ExitCode::kOk},
      {"\\nul.d\\x", ExitCode::kNameUnusable},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(CheckEntryName(c.name, "shown").code, c.expected) << c.name;
  }
}

TEST(EntryNames, CaseClashesAmongFilesAndFolders) {
  struct ClashCase {
    std::vector<std::string> names;
    bool clash;
  };
  const std::vector<ClashCase> cases = {
      {{"\\A.txt", "\\a.txt"}, true},
      {{"\\Bin", "\\bin\\x.dll"}, true},               // file where a folder must be
      {{"\\Docs\\a.txt", "\\docs\\b.txt"}, false},     // folders merge, files differ
      {{"\\Docs\\a.txt", "\\docs\\A.TXT"}, true},
      {{"\\\x81\x41", "\\\x81\x61"}, false},           // different GBK characters, not letters
      {{"\\ab", "\\abc", "\\b\\ab"}, false},
  };
  for (const ClashCase& c : cases) {
    Status s = CheckNameClashes(c.names);
    EXPECT_EQ(s.code, c.clash ? ExitCode::kNameClash : ExitCode::kOk) << c.names[0] << " " << c.names[1];
  }
}

}  // namespace
}  // namespace qvpack
