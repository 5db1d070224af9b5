// The UI driver: start a Windows program and drive its windows from outside, as a person
// would (see the headers below). Windows only; works across processes.
#pragma once

#include "child_process.h"
#include "message_box.h"
#include "screenshot.h"
#include "window_input.h"
#include "window_query.h"
