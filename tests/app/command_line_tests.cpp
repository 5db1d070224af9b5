// The installer's silent switch, decided on the argument text of the whole command line.
#include <gtest/gtest.h>

#include <string>

#include "command_line.h"

namespace {

struct Case {
  const char* commandLine;
  const char* argumentText;
  bool silent;
};

// Full command lines as Windows hands them to the program.
const Case kCases[] = {
    {"QVStampSetup.exe -s", "-s", true},
    {"QVStampSetup.exe -S", "-S", true},
    {"QVStampSetup.exe    -s", "-s", true},            // blanks before the switch
    {"QVStampSetup.exe\t \t-s", "-s", true},           // tabs count as blanks
    {"QVStampSetup.exe\x01\x1f -s", "-s", true},       // every code up to 0x20 is skipped
    {"QVStampSetup.exe -s ", "-s ", false},            // a trailing blank is part of the text
    {"QVStampSetup.exe -s x", "-s x", false},
    {"QVStampSetup.exe /s", "/s", false},
    {"QVStampSetup.exe -sx", "-sx", false},
    {"QVStampSetup.exe -silent", "-silent", false},
    {"QVStampSetup.exe s", "s", false},
    {"QVStampSetup.exe --s", "--s", false},
    {"QVStampSetup.exe \"-s\"", "\"-s\"", false},      // quotes around the switch stay
    {"QVStampSetup.exe", "", false},
    {"QVStampSetup.exe   ", "", false},
    {"", "", false},
    {"\"C:\\Program Files\\Setup Dir\\QVStampSetup.exe\" -s", "-s", true},
    {"\"C:\\Program Files\\Setup Dir\\QVStampSetup.exe\"-s", "-s", true},  // no blank needed
    {"\"C:\\Program Files\\Setup Dir\\QVStampSetup.exe\" -s x", "-s x", false},
    {"\"C:\\Program Files\\Setup Dir\\QVStampSetup.exe\"", "", false},
    {"\"C:\\Program Files\\Setup Dir\\QVStampSetup.exe -s", "", false},    // unclosed quote
    {"C:\\Program Files\\QVStampSetup.exe -s", "Files\\QVStampSetup.exe -s", false},  // unquoted blank
    {"C:\\临时\\安装程序.exe -S", "-S", true},
};

TEST(CommandLine, ArgumentTextAndSilentSwitch) {
  for (const Case& c : kCases) {
    EXPECT_EQ(std::string(qv::setup::ArgumentText(c.commandLine)), c.argumentText) << c.commandLine;
    EXPECT_EQ(qv::setup::IsSilentCommandLine(c.commandLine), c.silent) << c.commandLine;
  }
}

TEST(CommandLine, NullCommandLineIsInteractive) {
  EXPECT_STREQ(qv::setup::ArgumentText(nullptr), "");
  EXPECT_FALSE(qv::setup::IsSilentCommandLine(nullptr));
  EXPECT_FALSE(qv::setup::IsSilentArgumentText(nullptr));
}

}  // namespace
