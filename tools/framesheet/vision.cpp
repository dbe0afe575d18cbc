#include "vision.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vision {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

constexpr Matrix Protan{
    {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix Deutan{
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix Tritan{
    {{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}};

double ToLinear(uint32_t c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double LabF(double t) {
    constexpr double e = 216.0 / 24389.0, k = 24389.0 / 27.0;
    return t > e ? std::cbrt(t) : (k * t + 16) / 116;
}

} // namespace

const char* VisionName(Vision v) {
    switch (v) {
    case Vision::Normal:
        return "normal";
    case Vision::Protanopia:
        return "protanopia";
    case Vision::Deuteranopia:
        return "deuteranopia";
    case Vision::Tritanopia:
        return "tritanopia";
    case Vision::Greyscale:
        return "greyscale";
    }
    return "";
}

namespace {

std::array<double, 3> LinearSeen(uint32_t argb, Vision v) {
    std::array<double, 3> rgb{ToLinear((argb >> 16) & 0xFF), ToLinear((argb >> 8) & 0xFF),
                              ToLinear(argb & 0xFF)};
    const Matrix* m = v == Vision::Protanopia     ? &Protan
                      : v == Vision::Deuteranopia ? &Deutan
                      : v == Vision::Tritanopia   ? &Tritan
                                                  : nullptr;
    if (m) {
        std::array<double, 3> out{};
        for (size_t i = 0; i < 3; ++i)
            out[i] = std::clamp((*m)[i][0] * rgb[0] + (*m)[i][1] * rgb[1] + (*m)[i][2] * rgb[2], 0.0, 1.0);
        rgb = out;
    }
    if (v == Vision::Greyscale) {
        const double y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
        rgb = {y, y, y};
    }
    return rgb;
}

uint32_t ToSrgb(double v) {
    const double s = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return static_cast<uint32_t>(std::lround(std::clamp(s, 0.0, 1.0) * 255));
}

} // namespace

plat::IconImage Simulated(const plat::IconImage& picture, Vision v) {
    plat::IconImage out = picture;
    for (size_t i = 0; i < out.Pixels.size(); ++i) {
        if (out.Mask[i] != 0) continue;
        const auto rgb = LinearSeen(out.Pixels[i], v);
        out.Pixels[i] = 0xFF000000u | (ToSrgb(rgb[0]) << 16) | (ToSrgb(rgb[1]) << 8) | ToSrgb(rgb[2]);
    }
    return out;
}

Lab Seen(uint32_t argb, Vision v) {
    const auto rgb = LinearSeen(argb, v);
    // sRGB (D65) to XYZ, relative to the white point.
    const double x = (0.4124564 * rgb[0] + 0.3575761 * rgb[1] + 0.1804375 * rgb[2]) / 0.95047;
    const double y = 0.2126729 * rgb[0] + 0.7151522 * rgb[1] + 0.0721750 * rgb[2];
    const double z = (0.0193339 * rgb[0] + 0.1191920 * rgb[1] + 0.9503041 * rgb[2]) / 1.08883;
    const double fx = LabF(x), fy = LabF(y), fz = LabF(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double Difference(const plat::IconImage& a, const plat::IconImage& b, Vision v, int32_t lampPixels) {
    if (a.Pixels.size() != b.Pixels.size() || lampPixels <= 0) return 1.0;
    int32_t differing = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) {
        const bool opaqueA = a.Mask[i] == 0, opaqueB = b.Mask[i] == 0;
        if (!opaqueA && !opaqueB) continue;
        if (opaqueA != opaqueB) {
            ++differing;
            continue;
        }
        const Lab p = Seen(a.Pixels[i], v), q = Seen(b.Pixels[i], v);
        if (std::hypot(p.L - q.L, p.a - q.a, p.b - q.b) > ClearDeltaE) ++differing;
    }
    return static_cast<double>(differing) / lampPixels;
}

std::vector<State> States(int32_t size, const images::Theme& theme) {
    const auto rest = images::DrawFrames(images::FrameList::DeTre, size, theme);
    return {{"on", {rest[1]}},
            {"off", {rest[0]}},
            {"switching", images::DrawFrames(images::FrameList::YellowHalf, size, theme)},
            {"unlit", {rest[3]}}};
}

std::vector<PairFigure> Figures(int32_t size, const images::Theme& theme) {
    const auto states = States(size, theme);
    const plat::IconImage& unlit = states.back().Frames.front();
    const auto lampPixels = static_cast<int32_t>(std::count(unlit.Mask.begin(), unlit.Mask.end(), 0));
    std::vector<PairFigure> figures;
    for (size_t i = 0; i < states.size(); ++i)
        for (size_t j = i + 1; j < states.size(); ++j)
            for (Vision v : AllVisions) {
                double least = 1.0;
                for (const auto& a : states[i].Frames)
                    for (const auto& b : states[j].Frames)
                        least = std::min(least, Difference(a, b, v, lampPixels));
                figures.push_back({states[i].Name, states[j].Name, v, least});
            }
    return figures;
}

std::vector<NamedTheme> CheckedThemes() {
    return {{"normal", {}},
            {"high contrast black", {true, 0x000000, 0xFFFFFF, 0x1AEBFF}},
            {"high contrast white", {true, 0xFFFFFF, 0x000000, 0x37006E}}};
}

} // namespace vision
