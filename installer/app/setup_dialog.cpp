#include "setup_dialog.h"

#include <commctrl.h>

#include <vector>

#include "install_worker.h"
#include "resource.h"

namespace {

// Private messages through which other threads reach the window's thread.
constexpr UINT WM_SETUP_APPEND_LOG = WM_APP + 1;  // lParam: const char* line
constexpr UINT WM_SETUP_SHOW_FINISHED = WM_APP + 2;

// Bytes of the log read back before a line is put on top, terminator included.
constexpr int kLogReadLimit = 60000;

const char kTitleText[] = "Qelvo电子印章阅读器";
const char kWindowTitle[] = "Qelvo电子印章阅读器  V1.0 安装程序";
const char kFinishedText[] = "安装完成!";
const char kNotesText[] =
    "安装须知:\r\n安装本软件时，请不要将您的数字证书插入电脑USB接口中，并请确保已关闭相关程序！"
    "安装过程提示修改注册表等，请点击“同意”或者“是”即可！（为了保证您正常安装，请您先关闭浏览器、"
    "上网助手、雅虎助手、杀毒软件等拦截弹出窗口软件和所有应用程序。）";

struct Layout {
  bool picture, notes, log, progress, title, install;
  const char* cancelText;
};

constexpr Layout kReady{true, true, false, false, true, true, "取消"};
constexpr Layout kInstalling{false, false, true, true, false, false, "取消"};
constexpr Layout kFinished{true, false, false, false, true, false, "完成"};

}  // namespace

CDOVazariSetupDlg::CDOVazariSetupDlg(bool bSilent)
    : Dialog(IDD_DOVAZARISETUP_DIALOG),
      m_hIcon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                            IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))),
      m_bSilent(bSilent) {}

CDOVazariSetupDlg::~CDOVazariSetupDlg() = default;

const qv::fw::MessageMap* CDOVazariSetupDlg::GetMessageMap() const {
  static const qv::fw::MessageEntry entries[] = {
      qv::fw::OnMessage(WM_PAINT, &CDOVazariSetupDlg::OnPaint),
      qv::fw::OnMessage(WM_QUERYDRAGICON, &CDOVazariSetupDlg::OnQueryDragIcon),
      qv::fw::OnClicked(IDC_BTN_INSTALL, &CDOVazariSetupDlg::OnBnClickedInstall),
      qv::fw::OnClicked(IDC_BTN_CANCEL, &CDOVazariSetupDlg::OnBnClickedCancel),
      qv::fw::OnMessage(WM_SETUP_APPEND_LOG, &CDOVazariSetupDlg::OnAppendLogLine),
      qv::fw::OnMessage(WM_SETUP_SHOW_FINISHED, &CDOVazariSetupDlg::OnShowFinished),
  };
  static const qv::fw::MessageMap map(Dialog::GetMessageMap(), entries);
  return &map;
}

void CDOVazariSetupDlg::DoDataExchange() {
  Bind(IDC_STATIC_TITLE, m_stcTitle);
  Bind(IDC_STATIC_PICTURE, m_stcPicture);
  Bind(IDC_STATIC_PANEL, m_stcPanel);
  Bind(IDC_PROGRESS, m_ctlProgress);
  Bind(IDC_EDIT_LOG, m_edtLog);
}

BOOL CDOVazariSetupDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  const HWND hwnd = Hwnd();

  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.get()));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon.get()));

  m_stcTitle.SetText(kTitleText);
  SetWindowTextA(hwnd, kWindowTitle);

  // A failed query leaves an empty folder: the paths are then bare file names, and the
  // worker's unpacking reports its own failure.
  char tempDir[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH, tempDir);
  if (length == 0 || length >= MAX_PATH) tempDir[0] = '\0';
  m_strSetupIndexPath = std::string(tempDir) + "setupdir.orxi";
  m_strSetupStreamPath = std::string(tempDir) + "setupdir.orxs";

  m_fontTitle.reset(CreateFontA(10, 10, 0, 0, 900, FALSE, FALSE, FALSE, 134, 0, 0, 1, 49, "黑体"));
  m_stcTitle.SetFont(m_fontTitle.get(), true);

  SetControlText(IDC_EDIT_NOTES, kNotesText);

  const RECT panel = m_stcPanel.ClientRect();
  m_stcPicture.Move(panel, true);
  m_stcPanel.Show(false);

  SetUiState(Ready);
  if (m_bSilent) EnableWindow(GetDlgItem(hwnd, IDC_BTN_CANCEL), FALSE);
  return TRUE;
}

void CDOVazariSetupDlg::SetUiState(SetupState state) {
  m_nState = state;
  const Layout* layout = state == Ready        ? &kReady
                         : state == Installing ? &kInstalling
                         : state == Finished   ? &kFinished
                                               : nullptr;
  if (layout == nullptr) return;
  ShowControl(IDC_STATIC_PICTURE, layout->picture);
  ShowControl(IDC_EDIT_NOTES, layout->notes);
  ShowControl(IDC_EDIT_LOG, layout->log);
  ShowControl(IDC_PROGRESS, layout->progress);
  ShowControl(IDC_STATIC_TITLE, layout->title);
  ShowControl(IDC_BTN_INSTALL, layout->install);
  ShowControl(IDC_BTN_CANCEL, true);
  SetControlText(IDC_BTN_CANCEL, layout->cancelText);
  if (state == Finished) m_stcTitle.SetText(kFinishedText);

  if (state == Ready && m_bSilent) OnBnClickedInstall();
  if (state == Finished && m_bSilent) EndDialog(IDOK);
}

void CDOVazariSetupDlg::OnBnClickedInstall() {
  if (m_nState != Ready) return;
  SetUiState(Installing);
  StartWorker();
}

void CDOVazariSetupDlg::OnBnClickedCancel() {
  if (m_nState == Finished) {
    EndDialog(IDOK);
    return;
  }
  if (MessageBox("您确定要取消安装吗?", "提示", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (m_hWorker) StopInstallWorker(*this);
  EndDialog(IDOK);
}

bool CDOVazariSetupDlg::IsWorkerRunning() const noexcept {
  return m_hWorker && WaitForSingleObject(m_hWorker.get(), 0) == WAIT_TIMEOUT;
}

bool CDOVazariSetupDlg::WaitForWorker(DWORD timeoutMs) {
  if (!m_hWorker) return true;
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    DWORD wait = INFINITE;
    if (timeoutMs != INFINITE) {
      const ULONGLONG now = GetTickCount64();
      wait = now >= end ? 0 : static_cast<DWORD>(end - now);
    }
    const HANDLE worker = m_hWorker.get();
    const DWORD result = MsgWaitForMultipleObjects(1, &worker, FALSE, wait, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void CDOVazariSetupDlg::StartWorker() {
  // A failed start leaves m_hWorker empty: the window stays in Installing with nothing
  // running, and Cancel still asks its question.
  m_hWorker.reset(CreateThread(nullptr, 0, InstallWorker, this, 0, nullptr));
}

LRESULT CDOVazariSetupDlg::OnPaint(WPARAM, LPARAM) {
  const HWND hwnd = Hwnd();
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd, &paint);
  if (IsIconic(hwnd)) {
    SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(hwnd, &client);
    const int x = (client.right - client.left - cxIcon + 1) / 2;
    const int y = (client.bottom - client.top - cyIcon + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon.get());
  }
  EndPaint(hwnd, &paint);
  return 0;
}

LRESULT CDOVazariSetupDlg::OnQueryDragIcon(WPARAM, LPARAM) {
  return reinterpret_cast<LRESULT>(m_hIcon.get());
}

LRESULT CDOVazariSetupDlg::OnAppendLogLine(WPARAM, LPARAM lParam) {
  const char* line = reinterpret_cast<const char*>(lParam);
  std::vector<char> old(kLogReadLimit, '\0');
  const int got = GetWindowTextA(m_edtLog.Hwnd(), old.data(), kLogReadLimit);
  std::string text = line != nullptr ? line : "";
  text += "\r\n";
  text.append(old.data(), got > 0 ? static_cast<size_t>(got) : 0);
  m_edtLog.SetText(text);
  return 0;
}

LRESULT CDOVazariSetupDlg::OnShowFinished(WPARAM, LPARAM) {
  SetUiState(Finished);
  return 0;
}

void CDOVazariSetupDlg::ShowControl(int id, bool shown) const {
  ShowWindow(GetDlgItem(Hwnd(), id), shown ? SW_SHOW : SW_HIDE);
}

void CDOVazariSetupDlg::SetControlText(int id, const char* text) const {
  SetDlgItemTextA(Hwnd(), id, text);
}

void AppendLogLine(CDOVazariSetupDlg* dlg, const char* line) {
  if (dlg == nullptr) return;
  SendMessageA(dlg->Hwnd(), WM_SETUP_APPEND_LOG, 0, reinterpret_cast<LPARAM>(line));
}

void ShowFinished(CDOVazariSetupDlg* dlg) {
  if (dlg == nullptr) return;
  SendMessageA(dlg->Hwnd(), WM_SETUP_SHOW_FINISHED, 0, 0);
}
