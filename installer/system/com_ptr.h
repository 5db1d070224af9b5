#pragma once
// COM ownership for the shell link code: an interface pointer released on scope exit, and a
// per-call COM initialisation that is undone only when it succeeded.

#include <objbase.h>

namespace qv::system {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For CoCreateInstance and QueryInterface; must be called while empty.
  void** receive() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

// CoInitialize on construction, CoUninitialize on destruction when the initialisation
// succeeded (S_OK or S_FALSE). A thread already in another apartment mode keeps its state.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace qv::system
