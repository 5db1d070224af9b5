#pragma once
// Owners of Win32 handles: each closes its handle when it goes out of scope.

#include <windows.h>

namespace qv::system {

// A kernel object handle (process, thread, event, token). Null and INVALID_HANDLE_VALUE both
// count as "no handle".
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  // For calls that hand a handle back through an out parameter; any earlier handle is closed.
  HANDLE* receive() {
    reset();
    return &handle_;
  }
  void reset() {
    if (*this) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A registry key opened or created by this program (never a predefined root key).
class ScopedRegKey {
 public:
  ScopedRegKey() = default;
  ~ScopedRegKey() { reset(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY* receive() {
    reset();
    return &key_;
  }
  void reset() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace qv::system
