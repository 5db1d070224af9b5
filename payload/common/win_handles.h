// Owning wrappers for the Win32 handles that the sample programs use. Each closes its handle
// exactly once; none can be copied, all can be moved.
#pragma once

#include <windows.h>

#include <utility>

namespace qv::sample {

template <typename T, typename Traits>
class UniqueWin {
 public:
  UniqueWin() = default;
  explicit UniqueWin(T value) : value_(value) {}
  ~UniqueWin() { reset(); }
  UniqueWin(const UniqueWin&) = delete;
  UniqueWin& operator=(const UniqueWin&) = delete;
  UniqueWin(UniqueWin&& other) noexcept : value_(std::exchange(other.value_, Traits::invalid())) {}
  UniqueWin& operator=(UniqueWin&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = std::exchange(other.value_, Traits::invalid());
    }
    return *this;
  }

  T get() const { return value_; }
  bool valid() const { return value_ != Traits::invalid(); }
  explicit operator bool() const { return valid(); }
  // For out-parameters: closes the current handle and hands out the slot.
  T* put() {
    reset();
    return &value_;
  }
  void reset() {
    if (valid()) Traits::close(value_);
    value_ = Traits::invalid();
  }

 private:
  T value_ = Traits::invalid();
};

struct KernelHandleTraits {  // files opened with CreateFile: invalid is INVALID_HANDLE_VALUE
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
struct ObjectHandleTraits {  // processes, threads: invalid is NULL
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyTraits {
  static HKEY invalid() { return nullptr; }
  static void close(HKEY k) { ::RegCloseKey(k); }
};
struct ModuleTraits {
  static HMODULE invalid() { return nullptr; }
  static void close(HMODULE m) { ::FreeLibrary(m); }
};

using UniqueFile = UniqueWin<HANDLE, KernelHandleTraits>;
using UniqueHandle = UniqueWin<HANDLE, ObjectHandleTraits>;
using UniqueFind = UniqueWin<HANDLE, FindHandleTraits>;
using UniqueKey = UniqueWin<HKEY, RegKeyTraits>;
using UniqueModule = UniqueWin<HMODULE, ModuleTraits>;

}  // namespace qv::sample
