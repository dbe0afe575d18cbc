// The simulated display: one monitor whose scale and high-contrast theme the user may change
// while the program runs, told to the program's top-level windows as Windows tells them.
#include "platform/sim/sim_ui.h"

namespace sim {

using namespace plat;

UINT SimUser::GetDpiForWindow(HWND hwnd) {
    if (perMonitorDpiMissing_) return 0;
    if (!Find(hwnd)) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return dpi_;
}

int32_t SimUser::GetSystemMetricsForDpi(int32_t nIndex, UINT dpi) {
    if (perMonitorDpiMissing_ || dpi == 0) return 0;
    if (nIndex != SM_CXSMICON && nIndex != SM_CYSMICON) return GetSystemMetrics(nIndex);
    // 16 px at 96 dpi, in proportion, rounded as the system rounds its metrics.
    return static_cast<int32_t>((uint64_t{dpi} * 16 + USER_DEFAULT_SCREEN_DPI / 2) / USER_DEFAULT_SCREEN_DPI);
}

BOOL SimUser::SystemParametersInfo(UINT uiAction, UINT, void* pvParam, UINT) {
    auto* hc = static_cast<HIGHCONTRAST*>(pvParam);
    if (uiAction != SPI_GETHIGHCONTRAST || !hc || hc->cbSize != sizeof(HIGHCONTRAST)) {
        kernel_.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    hc->dwFlags = highContrast_ ? HCF_HIGHCONTRASTON : 0;
    return 1;
}

DWORD SimUser::GetSysColor(int32_t nIndex) {
    auto it = sysColors_.find(nIndex);
    return it == sysColors_.end() ? 0 : it->second;
}

void SimUser::ChangeScale(UINT dpi, UINT message) {
    dpi_ = dpi;
    if (message == 0) return; // changed while nobody was told (Explorer down, say)
    // rule: dpi-changed-wparam
    const WPARAM both = (dpi & 0xFFFF) | ((dpi & 0xFFFF) << 16);
    if (message != WM_DPICHANGED) {
        SendMessage(HWND_BROADCAST, message, 0, 0);
        return;
    }
    // rule: dpi-changed-suggested-rect
    // Each top-level window is told with a rectangle of its own, valid during the call. Windows
    // here have no geometry: the suggestion is a 100-pixel square at the new scale.
    for (const HWND h : Windows()) {
        if (!IsTopLevel(h)) continue;
        const auto side = static_cast<LONG>(100 * dpi / 96);
        RECT suggested{0, 0, side, side};
        SendMessage(h, message, both, reinterpret_cast<LPARAM>(&suggested));
    }
}

void SimUser::SetHighContrast(bool on, DWORD window, DWORD windowText, DWORD highlight) {
    highContrast_ = on;
    if (on) {
        sysColors_[COLOR_WINDOW] = window;
        sysColors_[COLOR_WINDOWTEXT] = windowText;
        sysColors_[COLOR_HIGHLIGHT] = highlight;
    } else {
        sysColors_ = {{COLOR_WINDOW, 0xFFFFFF}, {COLOR_WINDOWTEXT, 0x000000}, {COLOR_HIGHLIGHT, 0xD77800}};
    }
    SendMessage(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    SendMessage(HWND_BROADCAST, WM_SYSCOLORCHANGE, 0, 0);
}

} // namespace sim
