// The simulated window manager's timers: SetTimer's bounds, WM_TIMER when the queue is idle.
#include <algorithm>

#include "platform/sim/sim_ui.h"

namespace sim {
using namespace plat;

namespace {
constexpr UINT kMinTimerPeriod = 10;
constexpr UINT kMaxTimerPeriod = 0x7FFFFFFF;
constexpr DWORD kNotEnoughMemory = 8;
} // namespace

// ---- Timers ----

UINT_PTR SimUser::SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse) {
    if (!Find(hWnd)) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (setTimerFails_) {
        kernel_.SetLastError(kNotEnoughMemory);
        return 0;
    }
    const UINT period = std::clamp(uElapse, kMinTimerPeriod, kMaxTimerPeriod);
    // Setting an existing timer again replaces it and restarts its period.
    timers_[{hWnd, nIDEvent}] = Timer{period, kernel_.GetTickCount64() + period, timerOrder_++};
    return nIDEvent != 0 ? nIDEvent : 1;
}

BOOL SimUser::KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    if (timers_.erase({hWnd, uIDEvent}) == 0) {
        kernel_.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return 1;
}

bool SimUser::TimerSet(HWND hWnd, UINT_PTR id) const {
    return timers_.count({hWnd, id}) != 0;
}

std::vector<UINT_PTR> SimUser::TimerIds(HWND hWnd) const {
    std::vector<UINT_PTR> ids;
    for (const auto& [key, timer] : timers_)
        if (key.first == hWnd) ids.push_back(key.second);
    return ids;
}

std::optional<uint64_t> SimUser::TimerDue(HWND hWnd, UINT_PTR id) const {
    auto it = timers_.find({hWnd, id});
    if (it == timers_.end()) return std::nullopt;
    return it->second.due;
}

} // namespace sim
