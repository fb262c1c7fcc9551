#pragma once
#include <windows.h>

// Owners of the kernel handles the backend opens, so that no path out of a
// function leaks one.
namespace platform::win32 {

template <typename Closer>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset() {
    if (handle_) Closer{}(handle_);
    handle_ = nullptr;
  }
  // Hands the handle over to an owner of another kind (File, FolderLock).
  HANDLE release() {
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
  }
  // Closes now and reports whether closing worked (it can fail to flush).
  bool close() {
    bool ok = handle_ == nullptr || Closer{}(handle_);
    handle_ = nullptr;
    return ok;
  }

 private:
  HANDLE handle_ = nullptr;
};

struct KernelCloser {
  bool operator()(HANDLE h) const { return ::CloseHandle(h) != 0; }
};
struct FindCloser {
  bool operator()(HANDLE h) const { return ::FindClose(h) != 0; }
};

using KernelHandle = UniqueHandle<KernelCloser>;
using FindHandle = UniqueHandle<FindCloser>;

}  // namespace platform::win32
