// Resource and control identifiers of the viewer, shared with the tests that drive it.
#pragma once

#define QV_VIEWER_ICON 1           // the application icon; the association's "QVStampPage.exe,0"
#define QV_VIEWER_LABEL 1001       // "当前文档:" or "未打开文档"
#define QV_VIEWER_PATH 1002        // the document path exactly as opened (quotes removed)

#define QV_VIEWER_WINDOW_CLASS "QVStampPageWindow"
// Environment variable: when set, the viewer writes the opened path (GBK, no line end) to
// the file it names before showing its window.
#define QV_VIEWER_RECORD_VAR "QV_VIEWER_RECORD"
