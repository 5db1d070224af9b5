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

}  // namespace
