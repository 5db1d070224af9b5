// The four sample controls, registered and unregistered through the prefix's own regsvr32.
#include <gtest/gtest.h>

#include <string>

#include "payload_test_support.h"

namespace {

using namespace qv::payload_test;

constexpr char kSampleKey[] = "SOFTWARE\\QVStampSample";
constexpr char kControlsKey[] = "SOFTWARE\\QVStampSample\\Controls\\";
const char* const kControls[] = {"docrenderocx", "ConvertSeal", "ReadKeyInfo", "SealViews"};

std::optional<DWORD> Regsvr32(const std::string& arguments) {
  return RunProgram(Quote(SystemDir() + "regsvr32.exe") + " " + arguments);
}

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteTree(HKEY_LOCAL_MACHINE, kSampleKey); }
  void TearDown() override { DeleteTree(HKEY_LOCAL_MACHINE, kSampleKey); }
};

class EachControl : public ControlTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EachControl, RegistrationWritesItsMarkerAndUnregistrationRemovesIt) {
  const std::string name = GetParam();
  const std::string path = StageDir() + name + ".ocx";
  const std::string marker = kControlsKey + name;

  ASSERT_EQ(Regsvr32("/s " + Quote(path)), 0u);
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, marker, "Path"), path);

  ASSERT_EQ(Regsvr32("/u /s " + Quote(path)), 0u);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, marker));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSampleKey)) << "nothing else was in it";

  // Unregistering what is no longer registered is no failure.
  EXPECT_EQ(Regsvr32("/u /s " + Quote(path)), 0u);
}

INSTANTIATE_TEST_SUITE_P(Controls, EachControl, ::testing::ValuesIn(kControls));

TEST_F(ControlTest, EachControlRemovesOnlyItsOwnMarker) {
  for (const char* name : kControls) ASSERT_EQ(Regsvr32("/s " + Quote(StageDir() + name + ".ocx")), 0u) << name;
  ASSERT_EQ(Regsvr32("/u /s " + Quote(StageDir() + "ConvertSeal.ocx")), 0u);

  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kControlsKey) + "ConvertSeal"));
  for (const char* name : {"docrenderocx", "ReadKeyInfo", "SealViews"}) {
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, std::string(kControlsKey) + name, "Path"),
              StageDir() + name + ".ocx");
  }
}

TEST_F(ControlTest, TheSampleKeyStaysWhileItHoldsSomethingElse) {
  ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, std::string(kSampleKey) + "\\Scripts", "shell.reg", "x"));
  const std::string path = StageDir() + "SealViews.ocx";
  ASSERT_EQ(Regsvr32("/s " + Quote(path)), 0u);
  ASSERT_EQ(Regsvr32("/u /s " + Quote(path)), 0u);

  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kSampleKey) + "\\Controls"));
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, std::string(kSampleKey) + "\\Scripts", "shell.reg"), "x");
}

TEST_F(ControlTest, ExportsTheRegistrationEntryPointsUndecorated) {
  for (const char* name : kControls) {
    const std::string path = StageDir() + name + ".ocx";
    qv::sample::UniqueModule module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    ASSERT_TRUE(module) << path;
    for (const char* entry : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"}) {
      EXPECT_NE(::GetProcAddress(module.get(), entry), nullptr) << name << " " << entry;
    }
  }
}

}  // namespace
