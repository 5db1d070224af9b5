// CNoteDlg: the caption-less note "安装程序正在初始化..." (dialog template 133) that the
// worker shows while it unpacks the package.
//
// Use: construct with a text, Create() (modeless, no owner; the template is visible and
// topmost, and the note is painted before Create() returns), delete when done; the
// destructor destroys the window if it still exists. Creation, use and deletion belong to
// one thread (the window is that thread's).
#pragma once

#include <string>

#include "dialog.h"

class CNoteDlg : public qv::fw::Dialog {
public:
  // `text`: shown instead of the template's text unless empty.
  explicit CNoteDlg(const std::string& text);
  ~CNoteDlg() override;

  std::string m_strText;

protected:
  BOOL OnInitDialog() override;
};
