#pragma once
// The one owner of a Windows handle, for both products: it frees its handle
// exactly once, when it goes out of scope or is given a new one. What frees
// a handle and which value means "no handle" come from a small policy.

#include <windows.h>

#include <utility>

namespace common {

// Handles for which null means none: windows, GDI objects, menus, ...
template <typename H, BOOL(WINAPI* FreeFn)(H)>
struct NullIsNone {
  using Handle = H;
  static H None() { return nullptr; }
  static bool Valid(H h) { return h != nullptr; }
  static BOOL Free(H h) { return FreeFn(h); }
};

// Kernel handles, whose calls answer INVALID_HANDLE_VALUE (or null) for none.
template <BOOL(WINAPI* FreeFn)(HANDLE)>
struct InvalidIsNone {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static BOOL Free(HANDLE h) { return FreeFn(h); }
};

template <typename Policy>
class UniqueHandle {
 public:
  using H = typename Policy::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    Reset(o.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  void Reset(H h = Policy::None()) {
    if (Policy::Valid(h_)) Policy::Free(h_);
    h_ = h;
  }
  // Frees the handle now, answering whether the system accepted it (a file
  // whose close fails may not have been written completely).
  bool Close() {
    H h = Release();
    return Policy::Valid(h) && Policy::Free(h) != FALSE;
  }
  H Get() const { return h_; }
  // Gives the handle up to a new owner.
  H Release() { return std::exchange(h_, Policy::None()); }
  explicit operator bool() const { return Policy::Valid(h_); }

 private:
  H h_ = Policy::None();
};

}  // namespace common
