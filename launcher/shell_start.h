// Starting a program through the shell and keeping a handle of its process.
#pragma once

#include "framework/handles.h"

// Starts `path` with ShellExecuteExA: verb "open", command-line parameters `params` (null for
// none), no owner window and no working directory, shown normally. The shell shows no error
// interface of its own (SEE_MASK_FLAG_NO_UI). Returns the new process's handle
// (SEE_MASK_NOCLOSEPROCESS), or an empty handle when nothing was started or the shell gave
// no process back; failures are not reported.
qv::fw::UniqueHandle ShellStartProcess(const char* path, const char* params);
