#pragma once
// How far apart the lamp's states look to people who see colours differently, and in greyscale.
//
// The measure: two pictures are compared pixel by pixel after both have gone through the same
// colour-vision simulation. A pixel differs clearly when it is opaque in one picture only, or
// when its two colours lie more than ClearDeltaE apart in CIELAB (CIE 1976 distance). The
// difference of the two pictures is the share of the lamp's pixels (the opaque pixels of the
// unlit lamp) that differ clearly. Two states differ clearly when every frame one of them shows
// differs from every frame the other shows by at least ClearShare.
#include <cstdint>
#include <string>
#include <vector>

#include "app/images.h"
#include "platform/image.h"

namespace vision {

enum class Vision { Normal, Protanopia, Deuteranopia, Tritanopia, Greyscale };
inline constexpr Vision AllVisions[] = {Vision::Normal, Vision::Protanopia, Vision::Deuteranopia,
                                        Vision::Tritanopia, Vision::Greyscale};

// A colour difference well beyond a glance's threshold (about 2), read even on a 16 px icon.
inline constexpr double ClearDeltaE = 20.0;
// A tenth of the lamp: at 16 px 14 of its 137 pixels.
inline constexpr double ClearShare = 0.10;

const char* VisionName(Vision v);

struct Lab {
    double L, a, b;
};
// The colour 0xAARRGGBB (sRGB) as it looks with the vision: dichromacies by the matrices of
// Machado, Oliveira and Fernandes (2009, severity 1) in linear RGB; greyscale by its luminance.
Lab Seen(uint32_t argb, Vision v);

// The picture with each colour as it looks with the vision (sRGB again, transparency kept).
plat::IconImage Simulated(const plat::IconImage& picture, Vision v);

// Share of lampPixels where a and b differ clearly with the vision.
double Difference(const plat::IconImage& a, const plat::IconImage& b, Vision v, int32_t lampPixels);

// The frames a state shows while it lasts: the resting lamps of sharing on and off, the whole
// pulse of a switch under way, and the unlit lamp that the animations pass through.
struct State {
    std::string Name;
    std::vector<plat::IconImage> Frames;
};
std::vector<State> States(int32_t size, const images::Theme& theme);

// The smallest difference between any frame of one state and any frame of the other.
struct PairFigure {
    std::string A, B;
    Vision With;
    double Share;
};
std::vector<PairFigure> Figures(int32_t size, const images::Theme& theme);

// The themes the pictures are checked in: the lamp's own colours and two high-contrast themes
// (Windows' "High Contrast Black" and "High Contrast White" colours).
struct NamedTheme {
    const char* Name;
    images::Theme Theme;
};
std::vector<NamedTheme> CheckedThemes();

} // namespace vision
