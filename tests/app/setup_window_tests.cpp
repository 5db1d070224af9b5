// The setup window of the real installer program (QVStampSetupUiTest: the installer's own
// sources with a test worker), started as its own process and looked at from outside as a
// person would see it: which controls show, what they say (GBK bytes), what the buttons,
// the close box and the keyboard do, the silent switch, the single-instance guard, the log
// and the note window. Screenshots of the three states go to the folder given as the
// second argument.
//
// usage: setup_window_tests <QVStampSetupUiTest.exe> <screenshot folder> [gtest options]
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ui_driver.h"

namespace {

using qv::ui::ChildProcess;
using qv::ui::Environment;

std::string g_program;     // the installer program under test
std::string g_screenshots; // where the screenshots go

constexpr DWORD kWindowWaitMs = 30000;
constexpr DWORD kExitWaitMs = 15000;

const char kWindowTitle[] = "Qelvo电子印章阅读器  V1.0 安装程序";
const char kTitleText[] = "Qelvo电子印章阅读器";
const char kNotesText[] =
    "安装须知:\r\n安装本软件时，请不要将您的数字证书插入电脑USB接口中，并请确保已关闭相关程序！"
    "安装过程提示修改注册表等，请点击“同意”或者“是”即可！（为了保证您正常安装，请您先关闭浏览器、"
    "上网助手、雅虎助手、杀毒软件等拦截弹出窗口软件和所有应用程序。）";

enum Id {
  kInstall = 1001,
  kCancel = 1002,
  kNotes = 1003,
  kTitle = 1004,
  kPicture = 1005,
  kPanel = 1006,
  kProgress = 1007,
  kLog = 1009,
  kNoteText = 1010,
};

enum class State { Ready, Installing, Finished };

const char* Name(State state) {
  switch (state) {
    case State::Ready: return "Ready";
    case State::Installing: return "Installing";
    case State::Finished: return "Finished";
  }
  return "?";
}

// What a person sees in each state.
struct Look {
  bool picture, notes, log, progress, title, install;
  const char* titleText;
  const char* cancelText;
};

Look LookOf(State state) {
  switch (state) {
    case State::Ready: return {true, true, false, false, true, true, kTitleText, "取消"};
    case State::Installing: return {false, false, true, true, false, false, kTitleText, "取消"};
    case State::Finished: return {true, false, false, false, true, false, "安装完成!", "完成"};
  }
  return {};
}

std::string TempDir() {
  char path[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}

// A file path of its own in the temp folder for this run; the file does not exist yet.
std::string UniqueTempPath(const std::string& what) {
  static int counter = 0;
  const std::string path = TempDir() + "qv_uitest_" + std::to_string(GetCurrentProcessId()) + "_" +
                           std::to_string(++counter) + "_" + what;
  DeleteFileA(path.c_str());
  return path;
}

void CreateMarker(const std::string& path) {
  if (FILE* file = std::fopen(path.c_str(), "wb")) std::fclose(file);
}

std::string ReadFileText(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, got);
    std::fclose(file);
  }
  return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class SetupWindowTest : public ::testing::Test {
protected:
  void TearDown() override {
    if (m_process.IsRunning()) {
      m_process.Terminate();
    }
    for (const auto& path : m_files) DeleteFileA(path.c_str());
  }

  std::string TempPath(const std::string& what) {
    m_files.push_back(UniqueTempPath(what));
    return m_files.back();
  }

  // Starts the program with `arguments` and returns its setup window once it shows.
  HWND Start(const std::string& arguments, Environment env = {}, const std::string& program = g_program) {
    m_process = StartProcess(arguments, std::move(env), program);
    if (!m_process.IsStarted()) return nullptr;
    return WaitForSetupWindow(m_process);
  }

  static ChildProcess StartProcess(const std::string& arguments, Environment env,
                                   const std::string& program = g_program) {
    std::string line = qv::ui::Quote(program);
    if (!arguments.empty()) line += " " + arguments;
    DWORD error = 0;
    ChildProcess child = ChildProcess::Start(line, env, {}, &error);
    EXPECT_TRUE(child.IsStarted()) << "CreateProcess failed: " << error;
    return child;
  }

  static HWND WaitForSetupWindow(const ChildProcess& child) {
    qv::ui::WindowFilter filter;
    filter.processId = child.Id();
    filter.className = "#32770";
    filter.title = kWindowTitle;
    return qv::ui::WaitForWindow(filter, kWindowWaitMs);
  }

  // Starts interactively and clicks "安装", holding the worker until Finish() is called.
  HWND StartInstalling(Environment env = {}) {
    env.emplace_back("QV_UITEST_HOLD", HoldFile());
    const HWND dlg = Start("", env);
    if (dlg == nullptr) return nullptr;
    qv::ui::ClickControl(dlg, kInstall);
    EXPECT_TRUE(WaitForState(dlg, State::Installing));
    return dlg;
  }

  const std::string& HoldFile() {
    if (m_hold.empty()) m_hold = TempPath("hold");
    return m_hold;
  }
  void Finish() { CreateMarker(HoldFile()); }

  static bool Shows(HWND dlg, State state) {
    const Look look = LookOf(state);
    return qv::ui::IsVisible(qv::ui::Control(dlg, kLog)) == look.log &&
           qv::ui::IsVisible(qv::ui::Control(dlg, kNotes)) == look.notes &&
           qv::ui::IsVisible(qv::ui::Control(dlg, kPicture)) == look.picture &&
           qv::ui::ControlText(dlg, kCancel) == look.cancelText;
  }
  static bool WaitForState(HWND dlg, State state) {
    return qv::ui::WaitUntil([&] { return Shows(dlg, state); }, kWindowWaitMs);
  }

  static void ExpectLook(HWND dlg, State state) {
    SCOPED_TRACE(Name(state));
    const Look look = LookOf(state);
    using qv::ui::Control;
    using qv::ui::IsVisible;
    EXPECT_EQ(IsVisible(Control(dlg, kPicture)), look.picture);
    EXPECT_EQ(IsVisible(Control(dlg, kNotes)), look.notes);
    EXPECT_EQ(IsVisible(Control(dlg, kLog)), look.log);
    EXPECT_EQ(IsVisible(Control(dlg, kProgress)), look.progress);
    EXPECT_EQ(IsVisible(Control(dlg, kTitle)), look.title);
    EXPECT_EQ(IsVisible(Control(dlg, kInstall)), look.install);
    EXPECT_TRUE(IsVisible(Control(dlg, kCancel)));
    EXPECT_FALSE(IsVisible(Control(dlg, kPanel))) << "the panel frame is hidden from the start";
    EXPECT_EQ(qv::ui::ControlText(dlg, kTitle), look.titleText);
    EXPECT_EQ(qv::ui::ControlText(dlg, kCancel), look.cancelText);
    EXPECT_EQ(qv::ui::ControlText(dlg, kInstall), "安装");
    EXPECT_EQ(qv::ui::ControlText(dlg, kNotes), kNotesText);
    EXPECT_EQ(qv::ui::Text(dlg), kWindowTitle);
  }

  void Screenshot(HWND dlg, const char* name) {
    if (g_screenshots.empty()) return;
    // Let the window finish painting first.
    qv::ui::Send(dlg, WM_NULL);
    Sleep(300);
    EXPECT_TRUE(qv::ui::SaveWindowScreenshot(dlg, g_screenshots + "\\" + name + ".bmp")) << name;
  }

  std::optional<DWORD> WaitForExit() { return m_process.WaitForExit(kExitWaitMs); }

  ChildProcess m_process;
  std::vector<std::string> m_files;
  std::string m_hold;
};

TEST_F(SetupWindowTest, OpensReadyWithNotesPictureAndButtons) {
  const HWND dlg = Start("");
  ASSERT_NE(dlg, nullptr);
  ExpectLook(dlg, State::Ready);
  EXPECT_TRUE(qv::ui::IsEnabled(qv::ui::Control(dlg, kInstall)));
  EXPECT_TRUE(qv::ui::IsEnabled(qv::ui::Control(dlg, kCancel)));

  // The picture sits in the top-left corner with the hidden panel's size.
  const RECT picture = qv::ui::WindowRect(qv::ui::Control(dlg, kPicture));
  const RECT panel = qv::ui::WindowRect(qv::ui::Control(dlg, kPanel));
  EXPECT_EQ(picture.left, panel.left);
  EXPECT_EQ(picture.top, panel.top);
  EXPECT_EQ(picture.right - picture.left, panel.right - panel.left);
  EXPECT_EQ(picture.bottom - picture.top, panel.bottom - panel.top);

  // The progress bar keeps the platform's defaults until the worker sets it.
  EXPECT_EQ(qv::ui::Send(qv::ui::Control(dlg, kProgress), PBM_GETRANGE, TRUE), 0);
  EXPECT_EQ(qv::ui::Send(qv::ui::Control(dlg, kProgress), PBM_GETRANGE, FALSE), 100);
  EXPECT_EQ(qv::ui::Send(qv::ui::Control(dlg, kProgress), PBM_GETPOS), 0);

  // A sizing border and a close box, no minimise or maximise box, its own task-bar button.
  const LONG_PTR style = qv::ui::Style(dlg);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(qv::ui::ExStyle(dlg) & WS_EX_APPWINDOW);

  Screenshot(dlg, "ready");
  qv::ui::PostClose(dlg);
  EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(SetupWindowTest, InstallShowsProgressAndLogWhileTheWorkerRuns) {
  const HWND dlg = StartInstalling({{"QV_UITEST_REPORT", "1"}});
  ASSERT_NE(dlg, nullptr);
  const HWND progress = qv::ui::Control(dlg, kProgress);
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return qv::ui::Send(progress, PBM_GETPOS) == 100; }, kWindowWaitMs));
  ExpectLook(dlg, State::Installing);
  EXPECT_TRUE(qv::ui::IsEnabled(qv::ui::Control(dlg, kCancel)));

  const std::string log = qv::ui::ControlText(dlg, kLog);
  const std::string temp = TempDir();
  const std::string expectedTop =
      "C:\\Program Files\\QVStampReader\\说明.txt\r\n"
      "C:\\Program Files\\QVStampReader\\bin\\组件.dll\r\n"
      "C:\\Program Files\\QVStampReader\\QVStampPage.exe\r\n"
      "font=10,10,900,134,1,49,黑体\r\n"
      "icons=program icon\r\n"
      "stream=" + temp + "setupdir.orxs\r\n"
      "index=" + temp + "setupdir.orxi\r\n"
      "worker started\r\n";
  EXPECT_EQ(log, expectedTop) << qv::ui::GbkToUtf8(log);

  Screenshot(dlg, "installing");
  Finish();
  ASSERT_TRUE(WaitForState(dlg, State::Finished));
}

TEST_F(SetupWindowTest, FinishedShowsDoneAndTheButtonClosesAtOnce) {
  const HWND dlg = StartInstalling();
  ASSERT_NE(dlg, nullptr);
  Finish();
  ASSERT_TRUE(WaitForState(dlg, State::Finished));
  ExpectLook(dlg, State::Finished);
  EXPECT_TRUE(qv::ui::IsEnabled(qv::ui::Control(dlg, kCancel)));
  Screenshot(dlg, "finished");

  qv::ui::ClickControl(dlg, kCancel);
  EXPECT_EQ(WaitForExit(), 0u) << "\"完成\" closes without a question";
}

TEST_F(SetupWindowTest, CancelInReadyAsksAndNoKeepsTheWindowYesClosesWithoutInstalling) {
  const std::string started = TempPath("started");
  const HWND dlg = Start("", {{"QV_UITEST_STARTED", started}});
  ASSERT_NE(dlg, nullptr);

  qv::ui::ClickControl(dlg, kCancel);
  HWND box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(qv::ui::MessageBoxText(box), "您确定要取消安装吗?");
  EXPECT_EQ(qv::ui::MessageBoxCaption(box), "提示");
  EXPECT_TRUE(qv::ui::HasButton(box, IDYES));
  EXPECT_TRUE(qv::ui::HasButton(box, IDNO));
  EXPECT_FALSE(qv::ui::IsEnabled(dlg)) << "the box is owned by the setup window";
  qv::ui::PressMessageBoxButton(box, IDNO);
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return !IsWindow(box); }, kWindowWaitMs));
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return qv::ui::IsEnabled(dlg); }, kWindowWaitMs));
  ExpectLook(dlg, State::Ready);

  qv::ui::ClickControl(dlg, kCancel);
  box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  qv::ui::PressMessageBoxButton(box, IDYES);
  EXPECT_EQ(WaitForExit(), 0u);
  EXPECT_EQ(ReadFileText(started), "") << "nothing was started";
}

TEST_F(SetupWindowTest, CancelWhileInstallingNoGoesOnYesStopsTheWorkerAndCloses) {
  const std::string started = TempPath("started");
  const HWND dlg = StartInstalling({{"QV_UITEST_STARTED", started}, {"QV_UITEST_STOP", "wait"}});
  ASSERT_NE(dlg, nullptr);

  qv::ui::ClickControl(dlg, kCancel);
  HWND box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(qv::ui::MessageBoxText(box), "您确定要取消安装吗?");
  qv::ui::PressMessageBoxButton(box, IDNO);
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return qv::ui::IsEnabled(dlg); }, kWindowWaitMs));
  ExpectLook(dlg, State::Installing);

  qv::ui::ClickControl(dlg, kCancel);
  box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  qv::ui::PressMessageBoxButton(box, IDYES);
  EXPECT_EQ(WaitForExit(), 0u);
  EXPECT_EQ(ReadFileText(started), "started\nstopped\n") << "the stop hook ran and the worker ended";
}

TEST_F(SetupWindowTest, ClosingWhileTheWorkerKeepsReportingEndsCleanly) {
  // The worker keeps sending log lines and progress (and never finishes) while the window
  // goes away: the process must still end at once with code 0, neither waiting for the
  // worker nor deadlocking with a worker blocked in a call to the window.
  const HWND dlg = Start("", {{"QV_UITEST_SPAM", "1"}});
  ASSERT_NE(dlg, nullptr);
  qv::ui::ClickControl(dlg, kInstall);
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return qv::ui::ControlText(dlg, kLog).find("spam 50") != std::string::npos; },
                                kWindowWaitMs));
  qv::ui::ClickControl(dlg, kCancel);
  const HWND box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  qv::ui::PressMessageBoxButton(box, IDYES);
  EXPECT_EQ(WaitForExit(), 0u);
}

enum class CloseBy { CloseBox, SystemMenuClose, Escape };

struct CloseCase {
  State state;
  CloseBy how;
};

class SetupWindowClosing : public SetupWindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(SetupWindowClosing, EndsAtOnceWithoutAQuestion) {
  const CloseCase c = GetParam();
  HWND dlg = nullptr;
  if (c.state == State::Ready) {
    dlg = Start("");
  } else {
    dlg = StartInstalling();
    if (c.state == State::Finished) {
      Finish();
      ASSERT_TRUE(WaitForState(dlg, State::Finished));
    }
  }
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(Shows(dlg, c.state));
  switch (c.how) {
    case CloseBy::CloseBox: qv::ui::PostClose(dlg); break;
    case CloseBy::SystemMenuClose: qv::ui::PostSystemClose(dlg); break;
    case CloseBy::Escape: qv::ui::PressKey(dlg, VK_ESCAPE); break;
  }
  // A question would keep the process alive: it must end by itself.
  EXPECT_EQ(WaitForExit(), 0u);
}

std::string CloseCaseName(const ::testing::TestParamInfo<CloseCase>& info) {
  static const char* const how[] = {"CloseBox", "SystemMenuClose", "Esc"};
  return std::string(Name(info.param.state)) + how[static_cast<int>(info.param.how)];
}

INSTANTIATE_TEST_SUITE_P(
    EveryState, SetupWindowClosing,
    ::testing::Values(CloseCase{State::Ready, CloseBy::CloseBox}, CloseCase{State::Ready, CloseBy::SystemMenuClose},
                      CloseCase{State::Ready, CloseBy::Escape}, CloseCase{State::Installing, CloseBy::CloseBox},
                      CloseCase{State::Installing, CloseBy::SystemMenuClose},
                      CloseCase{State::Installing, CloseBy::Escape}, CloseCase{State::Finished, CloseBy::CloseBox},
                      CloseCase{State::Finished, CloseBy::SystemMenuClose},
                      CloseCase{State::Finished, CloseBy::Escape}),
    CloseCaseName);

TEST_F(SetupWindowTest, EnterNeverStartsASecondWorker) {
  // The hidden "安装" stays the default button: Enter must not start the worker again.
  const std::string started = TempPath("started");
  const HWND dlg = StartInstalling({{"QV_UITEST_STARTED", started}});
  ASSERT_NE(dlg, nullptr);
  qv::ui::PressKey(dlg, VK_RETURN);
  qv::ui::Send(dlg, WM_NULL);
  Sleep(500);
  Finish();
  ASSERT_TRUE(WaitForState(dlg, State::Finished));
  qv::ui::PressKey(dlg, VK_RETURN);
  qv::ui::Send(dlg, WM_NULL);
  Sleep(500);
  EXPECT_TRUE(Shows(dlg, State::Finished));
  EXPECT_EQ(ReadFileText(started), "started\n");
  EXPECT_EQ(CountOf(qv::ui::ControlText(dlg, kLog), "worker started"), 1u);
}

TEST_F(SetupWindowTest, SilentOpensInstallingWithCancelDisabledAndClosesItselfWhenFinished) {
  const std::string started = TempPath("started");
  const HWND dlg = Start("-s", {{"QV_UITEST_HOLD", HoldFile()}, {"QV_UITEST_STARTED", started}});
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(WaitForState(dlg, State::Installing));
  ExpectLook(dlg, State::Installing);
  EXPECT_FALSE(qv::ui::IsEnabled(qv::ui::Control(dlg, kCancel)));
  EXPECT_EQ(ReadFileText(started), "started\n") << "the worker is already running";
  Finish();
  EXPECT_EQ(WaitForExit(), 0u) << "the window closes by itself after ShowFinished";
}

struct SwitchCase {
  const char* arguments;
  bool silent;
};

class SilentSwitch : public SetupWindowTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SilentSwitch, DecidesTheOpeningState) {
  const HWND dlg = Start(GetParam().arguments, {{"QV_UITEST_HOLD", HoldFile()}});
  ASSERT_NE(dlg, nullptr);
  const State expected = GetParam().silent ? State::Installing : State::Ready;
  EXPECT_TRUE(WaitForState(dlg, expected)) << "arguments [" << GetParam().arguments << "]";
  EXPECT_EQ(qv::ui::IsEnabled(qv::ui::Control(dlg, kCancel)), !GetParam().silent);
  qv::ui::PostClose(dlg);
  EXPECT_EQ(WaitForExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Arguments, SilentSwitch,
                         ::testing::Values(SwitchCase{"-s", true}, SwitchCase{"-S", true},
                                           SwitchCase{"   -s", true}, SwitchCase{"-s ", false},
                                           SwitchCase{"-s x", false}, SwitchCase{"/s", false},
                                           SwitchCase{"-sx", false}, SwitchCase{"s", false},
                                           SwitchCase{"", false}));

TEST_F(SetupWindowTest, QuotedProgramPathWithBlanksAndCaptionlessBoxShowsTheFileName) {
  // The launcher starts the installer as ostrumsetup4.exe; here from a folder with blanks.
  const std::string folder = TempPath("setup dir with blanks");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string copy = folder + "\\ostrumsetup4.exe";
  ASSERT_TRUE(CopyFileA(g_program.c_str(), copy.c_str(), FALSE));

  const HWND dlg = Start("-s", {{"QV_UITEST_HOLD", HoldFile()}, {"QV_UITEST_BOX", "1"}}, copy);
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(WaitForState(dlg, State::Installing)) << "the quoted path is skipped whole";
  const HWND box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(qv::ui::MessageBoxCaption(box), "ostrumsetup4");
  EXPECT_EQ(qv::ui::MessageBoxText(box), "测试消息");
  EXPECT_FALSE(qv::ui::IsEnabled(dlg));
  qv::ui::PressMessageBoxButton(box, IDOK);
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return qv::ui::ControlText(dlg, kLog).find("box answer=1") != std::string::npos; },
                                kWindowWaitMs));
  EXPECT_TRUE(qv::ui::IsEnabled(dlg));
  qv::ui::PostClose(dlg);
  EXPECT_EQ(WaitForExit(), 0u);
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(SetupWindowTest, CaptionlessBoxShowsTheProgramsName) {
  const HWND dlg = StartInstalling({{"QV_UITEST_BOX", "1"}});
  ASSERT_NE(dlg, nullptr);
  const HWND box = qv::ui::WaitForMessageBoxOwnedBy(dlg, kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(qv::ui::MessageBoxCaption(box), "QVStampSetupUiTest");
  qv::ui::PressMessageBoxButton(box, IDOK);
}

TEST_F(SetupWindowTest, SecondCopyEndsAtOnceWithoutWindowAndTheFirstGoesOn) {
  const HWND dlg = Start("");
  ASSERT_NE(dlg, nullptr);
  ChildProcess second = StartProcess("", {});
  ASSERT_TRUE(second.IsStarted());
  EXPECT_EQ(second.WaitForExit(kExitWaitMs), 0u);
  qv::ui::WindowFilter anyWindow;
  anyWindow.processId = second.Id();
  anyWindow.visibleOnly = false;
  EXPECT_TRUE(qv::ui::FindTopLevelWindows(anyWindow).empty());
  EXPECT_TRUE(m_process.IsRunning());
  ExpectLook(dlg, State::Ready);
  qv::ui::ClickControl(dlg, kInstall);
  EXPECT_TRUE(WaitForState(dlg, State::Finished)) << "the first copy still works";
}

struct NoteCase {
  const char* text;  // null: QV_UITEST_NOTE_TEXT unset
  const char* shown;
};

class NoteWindow : public SetupWindowTest, public ::testing::WithParamInterface<NoteCase> {};

TEST_P(NoteWindow, ShowsItsTextOrTheTemplatesText) {
  const std::string noteHold = TempPath("note");
  Environment env{{"QV_UITEST_NOTE", "1"}, {"QV_UITEST_NOTE_HOLD", noteHold}};
  if (GetParam().text != nullptr) env.emplace_back("QV_UITEST_NOTE_TEXT", GetParam().text);
  const HWND dlg = StartInstalling(env);
  ASSERT_NE(dlg, nullptr);
  qv::ui::WindowFilter filter;
  filter.processId = m_process.Id();
  filter.className = "#32770";
  filter.exclude = dlg;
  const HWND note = qv::ui::WaitForWindow(filter, kWindowWaitMs);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(qv::ui::ControlText(note, kNoteText), GetParam().shown);
  EXPECT_EQ(GetWindow(note, GW_OWNER), nullptr);
  EXPECT_TRUE(qv::ui::ExStyle(note) & WS_EX_TOPMOST);
  EXPECT_NE(qv::ui::Style(note) & WS_CAPTION, static_cast<LONG_PTR>(WS_CAPTION));
  if (GetParam().text == nullptr) Screenshot(note, "note");
  CreateMarker(noteHold);
  EXPECT_TRUE(qv::ui::WaitUntil([&] { return !IsWindow(note); }, kWindowWaitMs)) << "deleted by the worker";
}

INSTANTIATE_TEST_SUITE_P(Texts, NoteWindow,
                         ::testing::Values(NoteCase{nullptr, "安装程序正在初始化..."},
                                           NoteCase{"正在解压安装包", "正在解压安装包"}),
                         [](const ::testing::TestParamInfo<NoteCase>& info) {
                           return std::string(info.param.text ? "GivenText" : "TemplateText");
                         });

// The log: the newest line on top, a line break after every line, the oldest part cut once
// the text read back passes 60000 bytes.
std::string ExpectedLog(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text = line + "\r\n" + text.substr(0, std::min<size_t>(text.size(), 59999));
  return text;
}

struct LogCase {
  std::vector<std::string> lines;
  const char* name;
};

class LogBox : public SetupWindowTest, public ::testing::WithParamInterface<LogCase> {};

TEST_P(LogBox, PutsTheNewestLineOnTop) {
  const std::string script = TempPath("log.txt");
  std::string content;
  for (const std::string& line : GetParam().lines) content += line + "\n";
  WriteFileText(script, content);
  const HWND dlg = StartInstalling({{"QV_UITEST_LOG_FILE", script}});
  ASSERT_NE(dlg, nullptr);
  Finish();
  ASSERT_TRUE(qv::ui::WaitUntil([&] { return Shows(dlg, State::Finished); }, 180000));
  std::vector<std::string> all{"worker started"};
  all.insert(all.end(), GetParam().lines.begin(), GetParam().lines.end());
  const std::string expected = ExpectedLog(all);
  const std::string log = qv::ui::ControlText(dlg, kLog);
  EXPECT_EQ(log.size(), expected.size());
  EXPECT_TRUE(log == expected) << "log starts: " << qv::ui::GbkToUtf8(log.substr(0, 200));
  EXPECT_EQ(qv::ui::Send(qv::ui::Control(dlg, kProgress), PBM_GETPOS), 100);
}

std::vector<std::string> ManyLines() {
  std::vector<std::string> lines;
  // About 64000 bytes in 32 lines: past the 60000-byte limit with few window updates (an
  // edit control under Wine takes long, about half a second, to take a text that large).
  for (int i = 0; i < 32; ++i) {
    char line[64];
    std::snprintf(line, sizeof(line), "C:\\Program Files\\QVStampReader\\file%05d.dat", i);
    lines.emplace_back(std::string(line) + std::string(1950, 'x'));
  }
  return lines;
}

INSTANTIATE_TEST_SUITE_P(Lines, LogBox,
                         ::testing::Values(LogCase{{"a", "b"}, "TwoLines"},
                                           LogCase{{"a", "", "b"}, "EmptyLine"},
                                           LogCase{{"C:\\安装\\文件.txt"}, "ChineseLine"},
                                           LogCase{ManyLines(), "PastTheLimit"}),
                         [](const ::testing::TestParamInfo<LogCase>& info) { return std::string(info.param.name); });

TEST(LogModel, KeepsTheNewestPartPastTheLimit) {
  // The expected-text model itself, on the case that matters: the oldest lines fall away.
  const std::vector<std::string> lines = ManyLines();
  const std::string text = ExpectedLog(lines);
  EXPECT_LE(text.size(), 59999u + lines.back().size() + 2);
  EXPECT_EQ(text.rfind(lines.back() + "\r\n", 0), 0u);
  EXPECT_EQ(text.find(lines.front()), std::string::npos);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: setup_window_tests <installer program> [screenshot folder]\n");
    return 2;
  }
  g_program = argv[1];
  if (argc >= 3) g_screenshots = argv[2];
  return RUN_ALL_TESTS();
}
