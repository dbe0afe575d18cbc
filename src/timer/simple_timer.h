#pragma once
// Lightweight timers: each one a window timer on a single hidden window that all share.
#include <cstdint>
#include <functional>

#include "framework/classes.h"
#include "platform/ui.h"

namespace SimpleTimer {

using fw::TNotifyEvent;
using fw::TObject;

// Owns the shared hidden window and hands each expiry to its timer.
class TSimpleTimerHandler : public TObject {
  public:
    TSimpleTimerHandler();
    ~TSimpleTimerHandler() override;
    plat::HWND Window() const { return window_; }
    plat::LRESULT TimerWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);

    uint32_t UserCount = 0;

  private:
    plat::HWND window_ = 0;
};

// The one handler while at least one timer exists, otherwise null.
extern TSimpleTimerHandler* SharedTimerHandler;

void AcquireTimerWindow();
void ReleaseTimerWindow();
// Unit end: frees the handler (and its window) if it still exists. The program entry calls it
// while the platform is still installed.
void UnitFinalization();

class TSimpleTimer : public TObject {
  public:
    // Period 1000 ms, no callback, not running.
    TSimpleTimer();
    // The given period and callback, not running.
    TSimpleTimer(uint32_t period, TNotifyEvent onElapsed);
    static TSimpleTimer* CreateWith(uint32_t period, TNotifyEvent onElapsed);
    ~TSimpleTimer() override;

    // The id given to SetTimer and returned in wParam of each expiry. It is a serial number,
    // never reused, so an expiry queued for a freed timer matches no live one.
    plat::UINT_PTR TimerId() const { return timerId_; }

    bool Active() const { return active_; }
    void SetActive(bool active);
    uint32_t Period() const { return period_; }
    void SetPeriod(uint32_t period);
    const TNotifyEvent& OnElapsed() const { return onElapsed_; }
    void SetOnElapsed(TNotifyEvent onElapsed);

    // Sets the window timer (restarting a running one); false when Period is 0 or the
    // system refused.
    bool StartTicking();
    void StopTicking(bool ClearActive);

    // The live timer with this id, or null.
    static TSimpleTimer* FindTimer(plat::UINT_PTR id);

  private:
    friend class TSimpleTimerHandler;
    void Elapsed();

    plat::UINT_PTR timerId_ = 0;
    bool active_ = false;
    uint32_t period_ = 1000;
    TNotifyEvent onElapsed_;
};

} // namespace SimpleTimer
