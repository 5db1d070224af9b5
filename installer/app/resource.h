// Resource ids of the installer (dialog templates, controls, pictures).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDR_MAINFRAME 128      // program icon
#define IDD_DOVAZARISETUP_DIALOG 102
#define IDD_NOTE_DIALOG 133
#define IDB_SETUP_PICTURE 133  // left-panel bitmap, 164 x 314, 16 colours

#define IDC_BTN_INSTALL 1001
#define IDC_BTN_CANCEL 1002
#define IDC_EDIT_NOTES 1003
#define IDC_STATIC_TITLE 1004
#define IDC_STATIC_PICTURE 1005
#define IDC_STATIC_PANEL 1006
#define IDC_PROGRESS 1007
#define IDC_EDIT_LOG 1009
#define IDC_STATIC_NOTE 1010
