#pragma once
// Owners for the kernel handles the backend itself opens (files), closing with the thread's
// last error kept. Included by the backend's .cpp files only.
#include "platform/win32/win32_text.h"

#include <utility>

namespace win32 {

class unique_hfile {
  public:
    unique_hfile() = default;
    explicit unique_hfile(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    unique_hfile(const unique_hfile&) = delete;
    unique_hfile& operator=(const unique_hfile&) = delete;
    ~unique_hfile() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (HANDLE old = std::exchange(h_, nullptr)) {
            const DWORD saved = ::GetLastError();
            ::CloseHandle(old);
            ::SetLastError(saved);
        }
    }

  private:
    HANDLE h_ = nullptr;
};

} // namespace win32
