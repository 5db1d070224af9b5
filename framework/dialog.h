// Dialogs made from dialog templates in the program's resources, run modal or modeless.
//
// Declaring a dialog:
//
//   class CMyDlg : public qv::fw::Dialog {
//   public:
//     CMyDlg() : Dialog(IDD_MY) {}
//   protected:
//     BOOL OnInitDialog() override;               // call Dialog::OnInitDialog() first
//     void DoDataExchange() override { Bind(IDC_TEXT, m_text); }
//     const qv::fw::MessageMap* GetMessageMap() const override;
//   private:
//     void OnBnClickedGo();
//     LRESULT OnPaint(WPARAM, LPARAM);
//     qv::fw::Control m_text;
//   };
//
//   const qv::fw::MessageMap* CMyDlg::GetMessageMap() const {
//     static const qv::fw::MessageEntry entries[] = {
//         qv::fw::OnMessage(WM_PAINT, &CMyDlg::OnPaint),
//         qv::fw::OnClicked(IDC_GO, &CMyDlg::OnBnClickedGo),
//     };
//     static const qv::fw::MessageMap map(Dialog::GetMessageMap(), entries);
//     return &map;
//   }
//
// Order of calls, for one window of a Dialog object:
//   1. DoModal() or Create() makes the window from the template. Before the window exists,
//      Hwnd() is null and no handler runs.
//   2. WM_INITDIALOG: the object is stored in the window (DWLP_USER), Hwnd() becomes valid,
//      and OnInitDialog() runs. Dialog::OnInitDialog() calls DoDataExchange(), which binds
//      the controls; derived classes call it first and then initialise their controls. If a
//      Bind() found no control of its id, the window is ended: DoModal() returns -1 and
//      Create() returns false.
//   3. Messages: the dispatch tables are searched, the most derived class first, then its
//      bases; the first matching entry handles the message. WM_COMMAND with IDOK or IDCANCEL
//      that no table takes goes to OnOK() / OnCancel(). Anything else gets the system's
//      default dialog handling.
//   4. The window ends: EndDialog() (modal) or DestroyWindow(). At WM_NCDESTROY the object is
//      unlinked from the window, Hwnd() becomes null and bound controls are stale (their
//      calls fail harmlessly). The object may then be destroyed, or run again.
//   The object must outlive its window: its destructor destroys a modeless window that
//   still exists; a modal window cannot outlive DoModal().
//
// Default closing: the close box, the system menu's Close and the Esc key reach the dialog as
// WM_COMMAND IDCANCEL (the system's dialog manager turns WM_CLOSE and Esc into it); the
// default OnCancel() ends a modal dialog with IDCANCEL and destroys a modeless one. The
// default OnOK() ends with IDOK.
//
// Exceptions: no exception leaves a handler into Windows. One thrown by OnInitDialog() ends
// the window as a failed binding does; one thrown by any other handler is swallowed and the
// message gets the default handling.
//
// Threads: a dialog's window belongs to the thread that made it, and every handler runs on
// that thread. Other threads act on the window by sending it messages (SendMessage), which
// that thread handles while the sender waits. Hwnd() may be read from any thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <type_traits>

#include "control.h"

namespace qv::fw {

class Dialog;

// One row of a dispatch table: a message, or a command (control id and notification code),
// and the member function that handles it.
struct MessageEntry {
  enum class Kind { Message, Command };
  Kind kind;
  UINT code;    // message number (Message) or control / command id (Command)
  UINT notify;  // notification code (Command): BN_CLICKED for a button click
  LRESULT (Dialog::*onMessage)(WPARAM, LPARAM);
  void (Dialog::*onCommand)();
};

// A handler for `message`. Its result is the message's result: the framework returns it to
// the system the way a dialog procedure must for that message (DWLP_MSGRESULT, or directly
// for WM_QUERYDRAGICON, WM_CTLCOLOR* and the other messages that are answered directly).
template <class D>
MessageEntry OnMessage(UINT message, LRESULT (D::*handler)(WPARAM, LPARAM)) {
  static_assert(std::is_base_of_v<Dialog, D>, "handlers belong to a Dialog class");
  return {MessageEntry::Kind::Message, message, 0,
          static_cast<LRESULT (Dialog::*)(WPARAM, LPARAM)>(handler), nullptr};
}

// A handler for WM_COMMAND from control or command `id` with notification `notify`.
template <class D>
MessageEntry OnCommand(int id, UINT notify, void (D::*handler)()) {
  static_assert(std::is_base_of_v<Dialog, D>, "handlers belong to a Dialog class");
  return {MessageEntry::Kind::Command, static_cast<UINT>(id), notify, nullptr,
          static_cast<void (Dialog::*)()>(handler)};
}

// A handler for a click on button `id`.
template <class D>
MessageEntry OnClicked(int id, void (D::*handler)()) {
  return OnCommand(id, BN_CLICKED, handler);
}

// A class's dispatch table and the table of its base class (null for Dialog's own).
struct MessageMap {
  const MessageMap* base = nullptr;
  const MessageEntry* entries = nullptr;
  std::size_t count = 0;

  MessageMap() = default;
  template <std::size_t N>
  MessageMap(const MessageMap* baseMap, const MessageEntry (&table)[N])
      : base(baseMap), entries(table), count(N) {}
  const MessageEntry* Find(UINT message, WPARAM wParam) const;
};

class Dialog {
public:
  // `templateId`: the dialog template (RT_DIALOG) in the program's executable.
  // `owner`: the owner window of a modal dialog, the parent of a modeless one; may be null.
  explicit Dialog(UINT templateId, HWND owner = nullptr) noexcept;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally on the calling thread and returns the result given to
  // EndDialog(), or -1 when the window could not be made (or its initialisation failed).
  INT_PTR DoModal();
  // Makes the window modeless, owned by the calling thread, and returns at once. A template
  // with WS_VISIBLE is shown and painted before Create() returns, so that it is seen even
  // when the calling thread does not pump messages. False when the window could not be made.
  bool Create();
  // Destroys a modeless window (or the modal one, ending its run with no result).
  void DestroyWindow() noexcept;
  // Ends a modal run with `result`; destroys a modeless window.
  void EndDialog(INT_PTR result) noexcept;

  HWND Hwnd() const noexcept { return m_hwnd.load(); }
  UINT TemplateId() const noexcept { return m_templateId; }

  // A message box owned by this dialog's window (MessageBoxA); returns the button chosen.
  // (windows.h names it MessageBoxA through its macro; callers write MessageBox as usual.)
  // A null caption shows the application's name (ApplicationName()). Callable from any
  // thread: the box runs its own loop on the calling thread, and the owner window is
  // disabled while it is open.
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

protected:
  // Called once per window at WM_INITDIALOG. Return TRUE to let the system give the focus to
  // the first tab stop.
  virtual BOOL OnInitDialog();
  // Binds controls to fields with Bind(); called by Dialog::OnInitDialog().
  virtual void DoDataExchange() {}
  virtual void OnOK();
  virtual void OnCancel();
  virtual const MessageMap* GetMessageMap() const;

  // Binds control `id` of this window to `control`. False (and the window ends after
  // OnInitDialog) when the template has no such control.
  bool Bind(int id, Control& control) noexcept;

  bool IsModal() const noexcept { return m_modal; }

private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  INT_PTR HandleInitDialog() noexcept;
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void Unlink() noexcept;

  UINT m_templateId;
  HWND m_owner;
  std::atomic<HWND> m_hwnd{nullptr};
  bool m_modal = false;
  bool m_bindFailed = false;
};

}  // namespace qv::fw
