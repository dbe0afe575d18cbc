#pragma once
// The eight frame lists of the tray lamp, drawn by code at any small-icon size.
// Frame counts, order and meaning are the same at every size; the animations rely on them.
#include <cstdint>
#include <vector>

#include "platform/image.h"

namespace images {

enum class FrameList : int32_t {
    YellowHalf,
    YellowFul,
    RedFul,
    GreenFul,
    BlackLight,
    DeTre,
    Boom,
    BoomLight
};

inline constexpr FrameList AllFrameLists[] = {FrameList::YellowHalf, FrameList::YellowFul,  FrameList::RedFul,
                                              FrameList::GreenFul,   FrameList::BlackLight, FrameList::DeTre,
                                              FrameList::Boom,       FrameList::BoomLight};

// The sizes the program and the frame sheet use; DrawFrames accepts any size in [MinSize, MaxSize].
inline constexpr int32_t StandardSizes[] = {16, 20, 24, 32};
inline constexpr int32_t MinSize = 16;
inline constexpr int32_t MaxSize = 256;

// The list's name as the form knows it; "" for a value outside the enumeration.
const char* ListName(FrameList list);

// Number of frames of the list; 0 for a value outside the enumeration.
int32_t FrameCount(FrameList list);

// The colours the frames are drawn in: the lamp's own, or in a high-contrast theme the theme's
// window, window-text and highlight colours (0xRRGGBB), with the lamp's shapes telling the states.
struct Theme {
    bool HighContrast = false;
    uint32_t Window = 0x000000;
    uint32_t WindowText = 0xFFFFFF;
    uint32_t Highlight = 0x1AEBFF;
    bool operator==(const Theme&) const = default;
};

// Draws every frame of the list as size x size pictures.
// Throws std::invalid_argument for a size outside [MinSize, MaxSize] or an unknown list.
std::vector<plat::IconImage> DrawFrames(FrameList list, int32_t size, const Theme& theme = {});

// The small-icon size for a monitor's dots per inch: 16 at 96, 20 at 120, 24 at 144, 32 at 192,
// in proportion (rounded) between and beyond, never below MinSize nor above MaxSize.
int32_t SmallIconSizeForDpi(uint32_t dpi);

} // namespace images
