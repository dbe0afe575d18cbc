#pragma once
// The standard form timer: a window timer on a hidden window of its own, main thread only.
#include <cstdint>

#include "framework/classes.h"
#include "platform/types.h"

namespace fw {

class TTimer : public TComponent {
  public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t interval);

    TNotifyEvent OnTimer;

  protected:
    virtual void DoTimer();

  private:
    void UpdateTimer();

    plat::HWND window_ = 0;
    bool enabled_ = true;
    uint32_t interval_ = 1000;
};

} // namespace fw
