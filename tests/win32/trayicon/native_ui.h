#pragma once
// Questions to the real system that the platform interfaces do not ask. Free of windows.h.
#include <cstdint>

namespace native {

// Width and height of an icon's colour bitmap; false when h is no icon.
bool IconSize(uintptr_t h, int32_t& width, int32_t& height);
// Whether the window's parent is the desktop (a top-level window, not a message-only one).
bool IsTopLevel(uintptr_t hwnd);

} // namespace native
