#include "framework/extctrls.h"

#include "framework/forms.h"
#include "platform/platform.h"

namespace fw {

namespace {
constexpr plat::UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    window_ =
        AllocateHWnd([this](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) -> plat::LRESULT {
            if (m == plat::WM_TIMER && w == kTimerId) {
                DoTimer();
                return 0;
            }
            return plat::Os().user->DefWindowProc(h, m, w, l);
        });
    UpdateTimer();
}

TTimer::~TTimer() {
    if (window_ != 0 && plat::Installed() && plat::Os().user) plat::Os().user->KillTimer(window_, kTimerId);
    DeallocateHWnd(window_);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t interval) {
    if (interval == interval_) return;
    interval_ = interval;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    plat::Os().user->KillTimer(window_, kTimerId);
    // The system refuses a timer only when it is out of resources; the timer then stays quiet.
    if (enabled_ && interval_ != 0) plat::Os().user->SetTimer(window_, kTimerId, interval_);
}

void TTimer::DoTimer() {
    if (OnTimer) OnTimer(this);
}

} // namespace fw
