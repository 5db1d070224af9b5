// Owning wrappers for Win32 handles: kernel objects, GDI objects and icons.
//
// Each wrapper owns at most one handle and releases it exactly once: in its destructor, or
// when reset() is given another handle. They are uncopyable; moving hands the ownership on
// and leaves the source empty. get() lends the handle without giving up ownership;
// release() gives it up without closing it.
#pragma once

#include <windows.h>

#include <utility>

namespace qv::fw {

template <class T, BOOL(WINAPI* Free)(T)>
class UniqueHandleOf {
public:
  UniqueHandleOf() noexcept = default;
  explicit UniqueHandleOf(T handle) noexcept : m_handle(handle) {}
  ~UniqueHandleOf() { reset(); }

  UniqueHandleOf(const UniqueHandleOf&) = delete;
  UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;
  UniqueHandleOf(UniqueHandleOf&& other) noexcept : m_handle(other.release()) {}
  UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const noexcept { return m_handle; }
  explicit operator bool() const noexcept { return m_handle != nullptr; }

  // Frees the handle held so far (if any) and takes ownership of `handle`.
  void reset(T handle = nullptr) noexcept {
    T old = std::exchange(m_handle, handle);
    if (old) Free(old);
  }
  T release() noexcept { return std::exchange(m_handle, nullptr); }

private:
  T m_handle = nullptr;
};

namespace detail {
template <class T>
inline BOOL WINAPI DeleteTypedGdiObject(T object) { return DeleteObject(object); }
}  // namespace detail

// Kernel handles (threads, processes, mutexes, events). A null handle means "none";
// handles whose failure value is INVALID_HANDLE_VALUE must be converted by the caller.
using UniqueHandle = UniqueHandleOf<HANDLE, CloseHandle>;
using Font = UniqueHandleOf<HFONT, detail::DeleteTypedGdiObject<HFONT>>;
using Bitmap = UniqueHandleOf<HBITMAP, detail::DeleteTypedGdiObject<HBITMAP>>;
using Brush = UniqueHandleOf<HBRUSH, detail::DeleteTypedGdiObject<HBRUSH>>;
// Icons made by LoadImage without LR_SHARED, CreateIcon and similar; never icons from
// LoadIcon, which belong to the system.
using Icon = UniqueHandleOf<HICON, DestroyIcon>;

}  // namespace qv::fw
