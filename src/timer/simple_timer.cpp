#include "timer/simple_timer.h"

#include <unordered_map>

#include "framework/forms.h"
#include "platform/platform.h"

namespace SimpleTimer {

TSimpleTimerHandler* SharedTimerHandler = nullptr;

namespace {

std::unordered_map<plat::UINT_PTR, TSimpleTimer*>& LiveTimers() {
    static std::unordered_map<plat::UINT_PTR, TSimpleTimer*> live;
    return live;
}

plat::UINT_PTR NextTimerId() {
    static plat::UINT_PTR next = 0;
    return ++next;
}

plat::HWND TimerWindow() {
    return SharedTimerHandler ? SharedTimerHandler->Window() : 0;
}

} // namespace

// ---- TSimpleTimerHandler ----

TSimpleTimerHandler::TSimpleTimerHandler() {
    window_ = fw::AllocateHWnd([this](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
        return TimerWindowProc(h, m, w, l);
    });
}

TSimpleTimerHandler::~TSimpleTimerHandler() {
    fw::DeallocateHWnd(window_);
}

plat::LRESULT TSimpleTimerHandler::TimerWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                                   plat::LPARAM lParam) {
    if (Msg == plat::WM_TIMER) {
        // An expiry may still arrive for a timer freed since it was queued: only a live id
        // reaches a timer object.
        if (TSimpleTimer* timer = TSimpleTimer::FindTimer(wParam)) timer->Elapsed();
        return 0;
    }
    // Another process may post WM_CLOSE to any window; closing this one would stop every
    // timer of the program for good. It goes only when its last user releases it.
    if (Msg == plat::WM_CLOSE) return 0;
    return plat::Os().user->DefWindowProc(hWnd, Msg, wParam, lParam);
}

void AcquireTimerWindow() {
    if (!SharedTimerHandler) SharedTimerHandler = new TSimpleTimerHandler();
    ++SharedTimerHandler->UserCount;
}

void ReleaseTimerWindow() {
    if (!SharedTimerHandler) return;
    if (SharedTimerHandler->UserCount > 0) --SharedTimerHandler->UserCount;
    if (SharedTimerHandler->UserCount == 0) {
        delete SharedTimerHandler;
        SharedTimerHandler = nullptr;
    }
}

void UnitFinalization() {
    delete SharedTimerHandler;
    SharedTimerHandler = nullptr;
}

// ---- TSimpleTimer ----

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, {}) {}

TSimpleTimer::TSimpleTimer(uint32_t period, TNotifyEvent onElapsed)
    : timerId_(NextTimerId()), period_(period) {
    SetOnElapsed(std::move(onElapsed));
    AcquireTimerWindow();
    LiveTimers()[timerId_] = this;
}

TSimpleTimer* TSimpleTimer::CreateWith(uint32_t period, TNotifyEvent onElapsed) {
    return new TSimpleTimer(period, std::move(onElapsed));
}

TSimpleTimer::~TSimpleTimer() {
    LiveTimers().erase(timerId_);
    if (active_) StopTicking(true);
    ReleaseTimerWindow();
}

TSimpleTimer* TSimpleTimer::FindTimer(plat::UINT_PTR id) {
    auto it = LiveTimers().find(id);
    return it == LiveTimers().end() ? nullptr : it->second;
}

void TSimpleTimer::SetActive(bool active) {
    if (active)
        StartTicking();
    else
        StopTicking(true);
}

bool TSimpleTimer::StartTicking() {
    if (period_ == 0) return false;
    if (active_) StopTicking(true);
    const bool set = plat::Os().user->SetTimer(TimerWindow(), timerId_, period_) != 0;
    if (set) active_ = true;
    return set;
}

void TSimpleTimer::StopTicking(bool ClearActive) {
    if (ClearActive) active_ = false;
    plat::Os().user->KillTimer(TimerWindow(), timerId_); // no timer set is fine
}

void TSimpleTimer::SetPeriod(uint32_t period) {
    if (period == period_) return;
    period_ = period;
    if (!active_) return;
    if (period != 0)
        StartTicking();
    else
        StopTicking(false);
}

void TSimpleTimer::SetOnElapsed(TNotifyEvent onElapsed) {
    onElapsed_ = std::move(onElapsed);
    if (!onElapsed_ && active_) StopTicking(false);
}

void TSimpleTimer::Elapsed() {
    if (onElapsed_) {
        // The callback may replace or clear OnElapsed, or free the timer: call a copy.
        TNotifyEvent callback = onElapsed_;
        callback(this);
    }
}

} // namespace SimpleTimer
