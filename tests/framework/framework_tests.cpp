// The dialog framework, run for real: dialogs from this program's templates, driven from a
// second thread through the UI driver as a person would drive them.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "dialog.h"
#include "test_resource.h"
#include "ui_driver.h"
#include "win_app.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr UINT WM_TEST_CUSTOM = WM_APP + 5;

HWND WaitForTestDialog() {
  qv::ui::WindowFilter filter;
  filter.processId = GetCurrentProcessId();
  filter.className = "#32770";
  filter.title = "Framework Test";
  return qv::ui::WaitForWindow(filter, kWaitMs);
}

// Runs `dialog` modally on this thread while `script` drives it from another thread.
INT_PTR RunModal(qv::fw::Dialog& dialog, const std::function<void(HWND)>& script) {
  std::thread driver([&] {
    const HWND hwnd = WaitForTestDialog();
    if (hwnd != nullptr) script(hwnd);
  });
  const INT_PTR result = dialog.DoModal();
  driver.join();
  return result;
}

// Pumps this thread's messages until `done` returns true or the time is up.
void PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done() && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

class TestDlg : public qv::fw::Dialog {
public:
  explicit TestDlg(bool bindMissing = false) : Dialog(IDD_TEST_MODAL), m_bindMissing(bindMissing) {}

  int initCount = 0;
  int goCount = 0;
  int customCount = 0;
  bool throwInInit = false;
  bool throwOnGo = false;
  HWND boundEdit = nullptr;
  int boxAnswer = 0;
  const char* boxCaption = nullptr;
  bool showBoxOnGo = false;
  INT_PTR endOnGo = 0;

protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    ++initCount;
    boundEdit = m_edit.Hwnd();
    if (throwInInit) throw std::runtime_error("init");
    return TRUE;
  }
  void DoDataExchange() override {
    Bind(IDC_TEST_EDIT, m_edit);
    if (m_bindMissing) Bind(IDC_TEST_MISSING, m_missing);
  }
  const qv::fw::MessageMap* GetMessageMap() const override {
    static const qv::fw::MessageEntry entries[] = {
        qv::fw::OnClicked(IDC_TEST_GO, &TestDlg::OnGo),
        qv::fw::OnMessage(WM_TEST_CUSTOM, &TestDlg::OnCustom),
        qv::fw::OnMessage(WM_QUERYDRAGICON, &TestDlg::OnQueryDragIcon),
    };
    static const qv::fw::MessageMap map(Dialog::GetMessageMap(), entries);
    return &map;
  }

private:
  void OnGo() {
    ++goCount;
    if (throwOnGo) throw std::runtime_error("go");
    if (showBoxOnGo) boxAnswer = MessageBox("框中文字", boxCaption, MB_OKCANCEL);
    if (endOnGo != 0) EndDialog(endOnGo);
  }
  LRESULT OnCustom(WPARAM wParam, LPARAM) {
    ++customCount;
    return static_cast<LRESULT>(wParam) + 1000;
  }
  LRESULT OnQueryDragIcon(WPARAM, LPARAM) { return 0x5A5A; }

  bool m_bindMissing;
  qv::fw::Control m_edit;
  qv::fw::Control m_missing;
};

// A derived dialog whose own table comes first; what it does not map falls to TestDlg's.
class DerivedDlg : public TestDlg {
public:
  int derivedGoCount = 0;
  int go2Count = 0;

protected:
  const qv::fw::MessageMap* GetMessageMap() const override {
    static const qv::fw::MessageEntry entries[] = {
        qv::fw::OnClicked(IDC_TEST_GO, &DerivedDlg::OnDerivedGo),
        qv::fw::OnClicked(IDC_TEST_GO2, &DerivedDlg::OnGo2),
    };
    static const qv::fw::MessageMap map(TestDlg::GetMessageMap(), entries);
    return &map;
  }

private:
  void OnDerivedGo() { ++derivedGoCount; }
  void OnGo2() { ++go2Count; }
};

TEST(Dialog, DispatchTableRoutesClicksAndMessagesMostDerivedFirst) {
  DerivedDlg dlg;
  LRESULT custom = 0;
  bool customAnswered = false;
  const INT_PTR result = RunModal(dlg, [&](HWND hwnd) {
    qv::ui::ClickControl(hwnd, IDC_TEST_GO);
    qv::ui::ClickControl(hwnd, IDC_TEST_GO2);
    qv::ui::ClickControl(hwnd, IDC_TEST_GO2);
    custom = qv::ui::Send(hwnd, WM_TEST_CUSTOM, 7, 0, &customAnswered);
    qv::ui::PostClose(hwnd);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dlg.derivedGoCount, 1);
  EXPECT_EQ(dlg.goCount, 0) << "the derived table's entry for the same button comes first";
  EXPECT_EQ(dlg.go2Count, 2);
  EXPECT_EQ(dlg.customCount, 1);
  ASSERT_TRUE(customAnswered);
  EXPECT_EQ(custom, 1007) << "a message handler's result is the message's result";
}

TEST(Dialog, DirectlyAnsweredMessagesReturnTheHandlersValue) {
  TestDlg dlg;
  LRESULT icon = 0;
  RunModal(dlg, [&](HWND hwnd) {
    icon = qv::ui::Send(hwnd, WM_QUERYDRAGICON);
    qv::ui::PostClose(hwnd);
  });
  EXPECT_EQ(icon, 0x5A5A);
}

enum class CloseBy { CloseMessage, SystemMenuClose, EscapeKey, OkCommand, EndDialogInHandler };

struct CloseCase {
  CloseBy how;
  INT_PTR result;
  const char* name;
};

class DialogClosing : public ::testing::TestWithParam<CloseCase> {};

TEST_P(DialogClosing, EndsTheModalRunWithItsResult) {
  TestDlg dlg;
  dlg.endOnGo = 42;
  const INT_PTR result = RunModal(dlg, [&](HWND hwnd) {
    switch (GetParam().how) {
      case CloseBy::CloseMessage: qv::ui::PostClose(hwnd); break;
      case CloseBy::SystemMenuClose: qv::ui::PostSystemClose(hwnd); break;
      case CloseBy::EscapeKey: qv::ui::PressKey(hwnd, VK_ESCAPE); break;
      case CloseBy::OkCommand: PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); break;
      case CloseBy::EndDialogInHandler: qv::ui::ClickControl(hwnd, IDC_TEST_GO); break;
    }
  });
  EXPECT_EQ(result, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DialogClosing,
    ::testing::Values(CloseCase{CloseBy::CloseMessage, IDCANCEL, "CloseBox"},
                      CloseCase{CloseBy::SystemMenuClose, IDCANCEL, "SystemMenuClose"},
                      CloseCase{CloseBy::EscapeKey, IDCANCEL, "Esc"},
                      CloseCase{CloseBy::OkCommand, IDOK, "OkCommand"},
                      CloseCase{CloseBy::EndDialogInHandler, 42, "EndDialog"}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST(Dialog, InitialisationRunsOnceWithControlsBound) {
  TestDlg dlg;
  HWND edit = nullptr;
  RunModal(dlg, [&](HWND hwnd) {
    edit = GetDlgItem(hwnd, IDC_TEST_EDIT);
    qv::ui::PostClose(hwnd);
  });
  EXPECT_EQ(dlg.initCount, 1);
  EXPECT_NE(dlg.boundEdit, nullptr);
  EXPECT_EQ(dlg.boundEdit, edit);
  EXPECT_EQ(dlg.Hwnd(), nullptr) << "the object is unlinked when its window ends";

  // The same object can run again, with a new window.
  RunModal(dlg, [&](HWND hwnd) { qv::ui::PostClose(hwnd); });
  EXPECT_EQ(dlg.initCount, 2);
}

TEST(Dialog, MissingBoundControlOrThrowingInitialisationFailsTheRun) {
  TestDlg missing(true);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_EQ(missing.Hwnd(), nullptr);

  TestDlg throwing;
  throwing.throwInInit = true;
  EXPECT_EQ(throwing.DoModal(), -1);
  EXPECT_EQ(throwing.initCount, 1);
}

TEST(Dialog, ExceptionInAHandlerStaysInsideAndTheDialogGoesOn) {
  TestDlg dlg;
  dlg.throwOnGo = true;
  const INT_PTR result = RunModal(dlg, [&](HWND hwnd) {
    qv::ui::ClickControl(hwnd, IDC_TEST_GO);
    qv::ui::ClickControl(hwnd, IDC_TEST_GO);
    qv::ui::WaitUntil([&] { return dlg.goCount == 2; }, kWaitMs);
    qv::ui::PostClose(hwnd);
  });
  EXPECT_EQ(dlg.goCount, 2);
  EXPECT_EQ(result, IDCANCEL);
}

struct BoxCase {
  const char* caption;    // given to MessageBox; null: none
  const char* expected;   // caption shown
  int button;
  const char* name;
};

class DialogMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(DialogMessageBox, IsOwnedByTheDialogAndShowsItsCaption) {
  TestDlg dlg;
  dlg.showBoxOnGo = true;
  dlg.boxCaption = GetParam().caption;
  std::string caption, text;
  bool ownerDisabled = false;
  RunModal(dlg, [&](HWND hwnd) {
    qv::ui::ClickControl(hwnd, IDC_TEST_GO);
    const HWND box = qv::ui::WaitForMessageBoxOwnedBy(hwnd, kWaitMs);
    if (box == nullptr) return qv::ui::PostClose(hwnd);
    caption = qv::ui::MessageBoxCaption(box);
    text = qv::ui::MessageBoxText(box);
    ownerDisabled = !qv::ui::IsEnabled(hwnd);
    qv::ui::PressMessageBoxButton(box, GetParam().button);
    qv::ui::WaitUntil([&] { return qv::ui::IsEnabled(hwnd); }, kWaitMs);
    qv::ui::PostClose(hwnd);
  });
  EXPECT_EQ(caption, GetParam().expected);
  EXPECT_EQ(text, "框中文字");
  EXPECT_TRUE(ownerDisabled);
  EXPECT_EQ(dlg.boxAnswer, GetParam().button);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, DialogMessageBox,
    ::testing::Values(BoxCase{nullptr, "framework_tests", IDOK, "NoCaptionShowsAppName"},
                      BoxCase{"提示", "提示", IDCANCEL, "GivenCaption"},
                      BoxCase{"", "", IDOK, "EmptyCaptionIsACaption"}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

TEST(Dialog, MessageBoxFromAnotherThreadBlocksThatThreadOnly) {
  TestDlg dlg;
  int answer = 0;
  bool ownerDisabled = false;
  bool dialogAnsweredMeanwhile = false;
  std::thread worker;
  RunModal(dlg, [&](HWND hwnd) {
    worker = std::thread([&] { answer = dlg.MessageBox("来自工作线程", "提示", MB_YESNO); });
    const HWND box = qv::ui::WaitForMessageBoxOwnedBy(hwnd, kWaitMs);
    ownerDisabled = !qv::ui::IsEnabled(hwnd);
    qv::ui::Send(hwnd, WM_TEST_CUSTOM, 1, 0, &dialogAnsweredMeanwhile);
    if (box != nullptr) qv::ui::PressMessageBoxButton(box, IDYES);
    worker.join();
    qv::ui::PostClose(hwnd);
  });
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(dialogAnsweredMeanwhile) << "the dialog's thread keeps handling messages";
  EXPECT_EQ(answer, IDYES);
}

class NoteDlg : public qv::fw::Dialog {
public:
  NoteDlg() : Dialog(IDD_TEST_MODELESS) {}
};

TEST(Dialog, ModelessIsShownAtOnceAndDestroyedWithItsObject) {
  HWND hwnd = nullptr;
  std::string text;
  bool visible = false;
  {
    NoteDlg note;
    ASSERT_TRUE(note.Create());
    hwnd = note.Hwnd();
    ASSERT_NE(hwnd, nullptr);
    visible = IsWindowVisible(hwnd) != FALSE;
    bool done = false;
    std::thread reader([&] {
      text = qv::ui::ControlText(hwnd, IDC_TEST_NOTE);
      done = true;
    });
    PumpUntil([&] { return done; }, kWaitMs);
    reader.join();
    EXPECT_FALSE(note.Create()) << "one window per object at a time";
  }
  EXPECT_TRUE(visible);
  EXPECT_EQ(text, "模板文字");
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Dialog, ModelessCancelDestroysTheWindow) {
  NoteDlg note;
  ASSERT_TRUE(note.Create());
  const HWND hwnd = note.Hwnd();
  SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(note.Hwnd(), nullptr);
}

class TestApp : public qv::fw::WinApp {
public:
  bool initResult = false;
  bool throwInInit = false;
  int exitCode = 0;
  int initCount = 0;
  int exitCount = 0;
  bool InitInstance() override {
    ++initCount;
    if (throwInInit) throw std::runtime_error("init");
    return initResult;
  }
  int ExitInstance() override {
    ++exitCount;
    return exitCode;
  }
};

TEST(WinApp, RunApplicationCallsInitThenExitAndReturnsItsCode) {
  {
    TestApp app;
    app.exitCode = 7;
    EXPECT_EQ(qv::fw::WinApp::Current(), &app);
    EXPECT_EQ(qv::fw::RunApplication(), 7) << "InitInstance false: no loop, ExitInstance's code";
    EXPECT_EQ(app.initCount, 1);
    EXPECT_EQ(app.exitCount, 1);
  }
  {
    TestApp app;
    app.initResult = true;
    app.exitCode = 3;
    EXPECT_EQ(qv::fw::RunApplication(), 3) << "InitInstance true without a main window ends at once";
    EXPECT_EQ(app.exitCount, 1);
  }
  {
    TestApp app;
    app.throwInInit = true;
    EXPECT_EQ(qv::fw::RunApplication(), 1);
  }
  EXPECT_EQ(qv::fw::WinApp::Current(), nullptr);
  EXPECT_EQ(qv::fw::RunApplication(), 1) << "no application object";
}

TEST(WinApp, ModelessMainWindowRunsTheLoopUntilItIsDestroyed) {
  TestApp app;
  app.initResult = true;
  NoteDlg note;
  ASSERT_TRUE(note.Create());
  app.m_pMainWnd = &note;
  const HWND hwnd = note.Hwnd();
  std::thread closer([&] { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
  EXPECT_EQ(app.Run(), 0);
  closer.join();
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(ApplicationName, IsTheExecutablesNameWithoutExtension) {
  EXPECT_STREQ(qv::fw::ApplicationName(), "framework_tests");
}

}  // namespace
