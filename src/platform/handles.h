#pragma once
// One small owner type per handle kind: every path closes what it opened, and closing keeps
// the thread's last error as it was so an error path still reports the original code.
#include <utility>

#include "platform/platform.h"

namespace plat {

template <typename Handle, typename Traits> class unique_handle {
  public:
    unique_handle() = default;
    explicit unique_handle(Handle h) : h_(h) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& o) noexcept : h_(std::exchange(o.h_, Handle{})) {}
    unique_handle& operator=(unique_handle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Handle{}));
        return *this;
    }
    ~unique_handle() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Handle{}; }
    Handle* put() {
        reset();
        return &h_;
    }
    void reset(Handle h = Handle{}) {
        Handle old = std::exchange(h_, h);
        if (old != Handle{}) {
            IKernel* k = Installed() ? Os().kernel : nullptr;
            DWORD saved = k ? k->GetLastError() : 0;
            Traits::Close(old);
            if (k) k->SetLastError(saved);
        }
    }

  private:
    Handle h_{};
};

struct ScHandleTraits {
    static void Close(SC_HANDLE h) { Os().services->CloseServiceHandle(h); }
};
struct HkeyTraits {
    static void Close(HKEY h) { Os().registry->RegCloseKey(h); }
};

using unique_schandle = unique_handle<SC_HANDLE, ScHandleTraits>;
using unique_hkey = unique_handle<HKEY, HkeyTraits>;

} // namespace plat
