#include "dialog.h"

#include "win_app.h"

namespace qv::fw {
namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool AnsweredDirectly(UINT message) {
  switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

bool Matches(const MessageEntry& entry, UINT message, WPARAM wParam) {
  if (entry.kind == MessageEntry::Kind::Message) return entry.code == message;
  return message == WM_COMMAND && entry.code == LOWORD(wParam) && entry.notify == HIWORD(wParam);
}

}  // namespace

const MessageEntry* MessageMap::Find(UINT message, WPARAM wParam) const {
  for (const MessageMap* map = this; map != nullptr; map = map->base) {
    for (std::size_t i = 0; i < map->count; ++i) {
      if (Matches(map->entries[i], message, wParam)) return &map->entries[i];
    }
  }
  return nullptr;
}

Dialog::Dialog(UINT templateId, HWND owner) noexcept : m_templateId(templateId), m_owner(owner) {}

Dialog::~Dialog() {
  const HWND hwnd = Hwnd();
  if (hwnd == nullptr) return;
  // A window of another thread cannot be destroyed from here: unlink it at least, so that
  // no message reaches this object after its end.
  if (!::DestroyWindow(hwnd)) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    m_hwnd = nullptr;
  }
}

INT_PTR Dialog::DoModal() {
  if (Hwnd() != nullptr) return -1;
  m_modal = true;
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                         m_owner, DialogProc, reinterpret_cast<LPARAM>(this));
  m_modal = false;
  return result;
}

bool Dialog::Create() {
  if (Hwnd() != nullptr) return false;
  m_modal = false;
  const HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                       m_owner, DialogProc, reinterpret_cast<LPARAM>(this));
  if (hwnd == nullptr || Hwnd() == nullptr) {
    if (hwnd != nullptr && IsWindow(hwnd)) ::DestroyWindow(hwnd);
    return false;
  }
  if (IsWindowVisible(hwnd)) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ERASENOW | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return true;
}

void Dialog::DestroyWindow() noexcept {
  if (const HWND hwnd = Hwnd()) ::DestroyWindow(hwnd);
}

void Dialog::EndDialog(INT_PTR result) noexcept {
  const HWND hwnd = Hwnd();
  if (hwnd == nullptr) return;
  if (m_modal) {
    ::EndDialog(hwnd, result);
  } else {
    ::DestroyWindow(hwnd);
  }
}

int Dialog::MessageBox(const char* text, const char* caption, UINT type) const {
  return ::MessageBoxA(Hwnd(), text, caption != nullptr ? caption : ApplicationName(), type);
}

BOOL Dialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

void Dialog::OnOK() { EndDialog(IDOK); }

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

const MessageMap* Dialog::GetMessageMap() const {
  static const MessageMap map;
  return &map;
}

bool Dialog::Bind(int id, Control& control) noexcept {
  const HWND child = GetDlgItem(Hwnd(), id);
  control.Attach(child);
  if (child == nullptr) m_bindFailed = true;
  return child != nullptr;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    if (self == nullptr) return FALSE;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->m_hwnd = hwnd;
    return self->HandleInitDialog();
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    self->Unlink();
    return FALSE;
  }
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Dialog::HandleInitDialog() noexcept {
  const HWND hwnd = Hwnd();
  m_bindFailed = false;
  BOOL focus = TRUE;
  bool failed = false;
  try {
    focus = OnInitDialog();
  } catch (...) {
    failed = true;
  }
  if (failed || m_bindFailed) {
    if (m_modal) {
      ::EndDialog(hwnd, -1);
    } else {
      ::DestroyWindow(hwnd);
    }
    return FALSE;
  }
  return focus;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = Hwnd();
  const MessageMap* map = GetMessageMap();
  if (const MessageEntry* entry = map != nullptr ? map->Find(message, wParam) : nullptr) {
    if (entry->kind == MessageEntry::Kind::Command) {
      (this->*entry->onCommand)();
      return TRUE;
    }
    const LRESULT result = (this->*entry->onMessage)(wParam, lParam);
    if (AnsweredDirectly(message)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

void Dialog::Unlink() noexcept {
  const HWND hwnd = Hwnd();
  SetWindowLongPtrA(hwnd, DWLP_USER, 0);
  m_hwnd = nullptr;
  WinApp* app = WinApp::Current();
  if (!m_modal && app != nullptr && app->m_pMainWnd == this) PostQuitMessage(0);
}

}  // namespace qv::fw
