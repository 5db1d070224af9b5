#include "installer/system/stop_request.h"

#include "installer/system/scoped_handle.h"

namespace qv::system {
namespace {

// Owns the process-wide event; the function-local static is created thread-safely on first
// use and its handle closed at process exit.
const ScopedHandle& StopEventOwner() {
  static const ScopedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  return event;
}

}  // namespace

void RequestStop() {
  if (StopEventOwner()) SetEvent(StopEvent());
}

bool StopRequested() {
  return StopEventOwner() && WaitForSingleObject(StopEvent(), 0) == WAIT_OBJECT_0;
}

void ClearStopRequest() {
  if (StopEventOwner()) ResetEvent(StopEvent());
}

HANDLE StopEvent() { return StopEventOwner().get(); }

}  // namespace qv::system
