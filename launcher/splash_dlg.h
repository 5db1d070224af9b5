// The launcher's note window: template IDD_SPLASH (103), a captionless popup centred on the
// screen that says "初始化安装环境...". It has no owner, no fields and no handlers of its
// own; the launcher makes it modeless (shown at once, WS_VISIBLE) while it works and
// destroys it before it ends. The launcher's thread pumps no messages meanwhile, so the
// window is painted once by Create() and not redrawn.
#pragma once

#include "framework/dialog.h"
#include "launcher/resource.h"

class CSplashDlg : public qv::fw::Dialog {
 public:
  CSplashDlg() noexcept : Dialog(IDD_SPLASH, nullptr) {}
};
