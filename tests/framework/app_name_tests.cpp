// The application's name, as message boxes without a caption show it.
#include <gtest/gtest.h>

#include "app_name.h"

namespace {

struct Case {
  const char* path;
  const char* name;
};

TEST(AppNameFromModulePath, FileNameWithoutFolderAndExtension) {
  const Case cases[] = {
      {"C:\\Program Files\\QVStampReader\\QVStampSetup.exe", "QVStampSetup"},
      {"C:\\Users\\u\\AppData\\Local\\Temp\\ostrumsetup4.exe", "ostrumsetup4"},
      {"Z:/work/build/QVStampSetupUiTest.exe", "QVStampSetupUiTest"},
      {"C:\\a/b\\mixed.exe", "mixed"},
      {"C:\\dir.with.dots\\prog", "prog"},       // a dot in a folder is no extension
      {"C:\\dir\\archive.tar.exe", "archive.tar"},  // only the last extension goes
      {"prog.exe", "prog"},
      {"prog", "prog"},
      {"C:\\dir\\", ""},
      {"", ""},
      {"C:\\安装\\安装程序.exe", "安装程序"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qv::fw::AppNameFromModulePath(c.path), c.name) << c.path;
  }
}

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

TEST(AppNameFromModulePath, TwoByteCharactersWhoseSecondByteIsABackslash) {
  // In GBK, 0x81 0x5C is one character whose second byte is '\\'. Bytes after a lead byte
  // are never separators or dots, whatever they are.
  const std::string folderThenName = std::string("C:\\a\x81\\b\\prog.exe");
  EXPECT_EQ(qv::fw::AppNameFromModulePath(folderThenName, IsGbkLeadByte), "prog");
  const std::string nameWithTrailBackslash = std::string("C:\\dir\\ab\x81\\cd.exe");
  EXPECT_EQ(qv::fw::AppNameFromModulePath(nameWithTrailBackslash, IsGbkLeadByte), "ab\x81\\cd");
  EXPECT_EQ(qv::fw::AppNameFromModulePath(nameWithTrailBackslash), "cd") << "byte rule without a predicate";
  const std::string trailDot = std::string("C:\\x\x81.y");
  EXPECT_EQ(qv::fw::AppNameFromModulePath(trailDot, IsGbkLeadByte), "x\x81.y");
  const std::string loneLeadAtEnd = std::string("C:\\x\x81");
  EXPECT_EQ(qv::fw::AppNameFromModulePath(loneLeadAtEnd, IsGbkLeadByte), "x\x81");
}

}  // namespace
