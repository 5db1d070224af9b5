#include "note_dialog.h"

#include "resource.h"

CNoteDlg::CNoteDlg(const std::string& text) : Dialog(IDD_NOTE_DIALOG), m_strText(text) {}

CNoteDlg::~CNoteDlg() = default;

BOOL CNoteDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  if (!m_strText.empty()) SetDlgItemTextA(Hwnd(), IDC_STATIC_NOTE, m_strText.c_str());
  return TRUE;
}
