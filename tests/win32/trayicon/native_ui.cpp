#include "native_ui.h"

#include <windows.h>

namespace native {

bool IconSize(uintptr_t h, int32_t& width, int32_t& height) {
    ICONINFO info{};
    if (!::GetIconInfo(reinterpret_cast<HICON>(h), &info)) return false;
    BITMAP bm{};
    const bool ok = info.hbmColor && ::GetObjectA(info.hbmColor, sizeof bm, &bm) == sizeof bm;
    if (ok) {
        width = bm.bmWidth;
        height = bm.bmHeight;
    }
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return ok;
}

bool IsTopLevel(uintptr_t hwnd) {
    HWND h = reinterpret_cast<HWND>(hwnd);
    return ::IsWindow(h) && ::GetAncestor(h, GA_PARENT) == ::GetDesktopWindow();
}

} // namespace native
