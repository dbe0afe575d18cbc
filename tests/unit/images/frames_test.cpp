// What the tray animations rely on in the frame lists, checked at every size the program draws.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <set>
#include <stdexcept>

#include "app/images.h"
#include "framesheet/vision.h"

namespace {

using images::FrameList;
using plat::IconImage;

struct Colour {
    int r, g, b;
    bool operator<(const Colour& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
    bool operator==(const Colour&) const = default;
};

Colour At(const IconImage& p, int x, int y) {
    const uint32_t v = p.Pixels[static_cast<size_t>(y) * p.Width + x];
    return {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
            static_cast<int>(v & 0xFF)};
}
bool Opaque(const IconImage& p, int x, int y) {
    return p.Mask[static_cast<size_t>(y) * p.Width + x] == 0;
}

bool IsGrey(Colour c) {
    return c.r == c.g && c.g == c.b;
}
bool IsMark(Colour c) {
    return c.r < 40 && c.b < 40 && c.g >= 50 && c.g <= 120;
}
// A pixel of the lamp's light: neither the rim and lens (greys, black) nor the mark.
bool IsLight(Colour c) {
    return !IsGrey(c) && !IsMark(c);
}
double Luma(Colour c) {
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

int CountOpaque(const IconImage& p) {
    int n = 0;
    for (uint8_t m : p.Mask)
        n += m == 0;
    return n;
}

struct Box {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    double CentreX() const { return (left + right + 1) / 2.0; }
    double CentreY() const { return (top + bottom + 1) / 2.0; }
};
Box OpaqueBox(const IconImage& p) {
    Box b;
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            if (Opaque(p, x, y)) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

class FramesAtSize : public ::testing::TestWithParam<int32_t> {
  protected:
    int32_t Size() const { return GetParam(); }
    double Scale() const { return Size() / 16.0; }
    std::vector<IconImage> Frames(FrameList list) const { return images::DrawFrames(list, Size()); }
    IconImage DarkLamp() const { return Frames(FrameList::BlackLight).at(0); }
};

TEST_P(FramesAtSize, EveryListHasItsFrameCountOfSquarePicturesOfTheRequestedSize) {
    const std::pair<FrameList, size_t> expected[] = {{FrameList::YellowHalf, 4}, {FrameList::YellowFul, 8},
                                                     {FrameList::RedFul, 8},     {FrameList::GreenFul, 8},
                                                     {FrameList::BlackLight, 8}, {FrameList::DeTre, 5},
                                                     {FrameList::Boom, 14},      {FrameList::BoomLight, 14}};
    for (auto [list, count] : expected) {
        SCOPED_TRACE(images::ListName(list));
        const auto frames = Frames(list);
        ASSERT_EQ(frames.size(), count);
        EXPECT_EQ(images::FrameCount(list), static_cast<int32_t>(count));
        for (const auto& f : frames) {
            EXPECT_EQ(f.Width, Size());
            EXPECT_EQ(f.Height, Size());
            ASSERT_EQ(f.Pixels.size(), static_cast<size_t>(Size() * Size()));
            ASSERT_EQ(f.Mask.size(), f.Pixels.size());
        }
    }
}

TEST_P(FramesAtSize, TransparentPixelsAreClearAndOpaquePixelsHaveFullAlpha) {
    for (auto list : images::AllFrameLists) {
        SCOPED_TRACE(images::ListName(list));
        for (const auto& f : Frames(list)) {
            for (size_t i = 0; i < f.Pixels.size(); ++i) {
                if (f.Mask[i] == 1) {
                    ASSERT_EQ(f.Pixels[i], 0u) << "pixel " << i;
                } else {
                    ASSERT_EQ(f.Mask[i], 0) << "the mask holds only 0 and 1";
                    ASSERT_EQ(f.Pixels[i] >> 24, 0xFFu) << "pixel " << i;
                }
            }
        }
    }
}

TEST_P(FramesAtSize, ColourListsRepeatTheirTwinFramesAndShowFiveDistinctLevels) {
    for (auto list : {FrameList::YellowFul, FrameList::RedFul, FrameList::GreenFul}) {
        SCOPED_TRACE(images::ListName(list));
        const auto f = Frames(list);
        EXPECT_EQ(f[1], f[3]);
        EXPECT_EQ(f[0], f[4]);
        EXPECT_EQ(f[5], f[7]);
        const std::vector<IconImage> levels{f[2], f[3], f[4], f[5], f[6]};
        for (size_t a = 0; a < levels.size(); ++a)
            for (size_t b = a + 1; b < levels.size(); ++b)
                EXPECT_NE(levels[a], levels[b]) << "levels " << a << " and " << b;
    }
}

TEST_P(FramesAtSize, RestingLampsAreTheNormalFramesOfTheirColourListsAndYellowHalfPulsesThroughYellowFul) {
    const auto rest = Frames(FrameList::DeTre);
    const auto full = Frames(FrameList::YellowFul);
    EXPECT_EQ(rest[0], Frames(FrameList::RedFul)[0]);
    EXPECT_EQ(rest[1], Frames(FrameList::GreenFul)[0]);
    EXPECT_EQ(rest[2], full[0]);
    // The pulse runs through the lower half of the full yellow list.
    const auto half = Frames(FrameList::YellowHalf);
    EXPECT_EQ(half[0], full[2]);
    EXPECT_EQ(half[1], full[1]);
    EXPECT_EQ(half[2], full[0]);
    EXPECT_EQ(half[3], half[1]);
}

TEST_P(FramesAtSize, DarkLampIsOnePictureWhereverItAppears) {
    const auto dark = DarkLamp();
    for (const auto& f : Frames(FrameList::BlackLight))
        EXPECT_EQ(f, dark);
    EXPECT_EQ(Frames(FrameList::DeTre)[3], dark);
    EXPECT_EQ(Frames(FrameList::BoomLight)[0], dark);
    // The dark lamp has no light in it.
    for (int y = 0; y < Size(); ++y)
        for (int x = 0; x < Size(); ++x)
            if (Opaque(dark, x, y)) {
                ASSERT_FALSE(IsLight(At(dark, x, y))) << x << "," << y;
            }
}

TEST_P(FramesAtSize, FadedLampIsTheDarkLampWithEveryOtherPixelTransparent) {
    const auto dark = DarkLamp();
    const auto faded = Frames(FrameList::DeTre)[4];
    int kept = 0;
    for (int parity = 0; parity < 2; ++parity) {
        bool matches = true;
        for (int y = 0; y < Size() && matches; ++y)
            for (int x = 0; x < Size() && matches; ++x) {
                const size_t i = static_cast<size_t>(y) * Size() + x;
                const bool keep = (x + y) % 2 == parity;
                matches = keep ? (faded.Mask[i] == dark.Mask[i] && faded.Pixels[i] == dark.Pixels[i])
                               : faded.Mask[i] == 1;
            }
        kept += matches;
    }
    EXPECT_EQ(kept, 1) << "exactly one checkerboard parity of the dark lamp is kept";
}

TEST_P(FramesAtSize, ExplosionOverTheLampIsTheDarkLampUnderTheBareExplosion) {
    const auto boom = Frames(FrameList::Boom);
    const auto light = Frames(FrameList::BoomLight);
    const auto dark = DarkLamp();
    for (size_t i = 7; i <= 13; ++i)
        EXPECT_EQ(light[i], boom[i]) << "frame " << i;
    for (size_t i = 1; i <= 6; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        ASSERT_GT(CountOpaque(boom[i]), 0);
        for (size_t p = 0; p < dark.Pixels.size(); ++p) {
            const auto& top = boom[i].Mask[p] == 0 ? boom[i] : dark;
            ASSERT_EQ(light[i].Pixels[p], top.Pixels[p]) << "pixel " << p;
            ASSERT_EQ(light[i].Mask[p], top.Mask[p]) << "pixel " << p;
        }
    }
}

TEST_P(FramesAtSize, ExplosionGrowsFromNothingThroughASparkAndABurstToAGlow) {
    const auto boom = Frames(FrameList::Boom);
    EXPECT_EQ(CountOpaque(boom[0]), 0) << "frame 0 is empty";
    for (size_t i = 2; i <= 11; ++i)
        EXPECT_GT(CountOpaque(boom[i]), CountOpaque(boom[i - 1])) << "frame " << i << " grows";

    // The spark is grey; the rings and the burst are not.
    for (size_t i = 1; i <= 2; ++i)
        for (int y = 0; y < Size(); ++y)
            for (int x = 0; x < Size(); ++x)
                if (Opaque(boom[i], x, y)) {
                    ASSERT_TRUE(IsGrey(At(boom[i], x, y))) << "frame " << i;
                }

    // Everything is centred where the lens is.
    const Box lens = OpaqueBox(DarkLamp());
    for (size_t i = 1; i <= 11; ++i) {
        double sx = 0, sy = 0;
        for (int y = 0; y < Size(); ++y)
            for (int x = 0; x < Size(); ++x)
                if (Opaque(boom[i], x, y)) sx += x + 0.5, sy += y + 0.5;
        const int n = CountOpaque(boom[i]);
        EXPECT_NEAR(sx / n, lens.CentreX(), 1.0 * Scale()) << "frame " << i;
        EXPECT_NEAR(sy / n, lens.CentreY(), 1.0 * Scale()) << "frame " << i;
    }

    // The burst's middle is the white star; the burst warms from red-orange towards yellow.
    const auto centre = [&](const IconImage& f) {
        return At(f, static_cast<int>(lens.CentreX()), static_cast<int>(lens.CentreY()));
    };
    for (size_t i = 7; i <= 11; ++i)
        EXPECT_EQ(centre(boom[i]), (Colour{255, 255, 255})) << "frame " << i;
    const auto meanGreen = [&](const IconImage& f) {
        double g = 0;
        int n = 0;
        for (int y = 0; y < Size(); ++y)
            for (int x = 0; x < Size(); ++x)
                if (Opaque(f, x, y) && At(f, x, y) != Colour{255, 255, 255}) g += At(f, x, y).g, ++n;
        return g / n;
    };
    for (size_t i = 8; i <= 11; ++i)
        EXPECT_GT(meanGreen(boom[i]), meanGreen(boom[i - 1])) << "frame " << i << " is yellower";

    // The last frame is a pale glow over nearly the whole cell.
    EXPECT_GT(CountOpaque(boom[13]), 0.8 * Size() * Size());
    for (int y = 0; y < Size(); ++y)
        for (int x = 0; x < Size(); ++x)
            if (Opaque(boom[13], x, y)) {
                ASSERT_GT(Luma(At(boom[13], x, y)), 200) << x << "," << y;
            }
}

TEST_P(FramesAtSize, LampBrightensStrictlyFromPinpointToFull) {
    for (auto list : {FrameList::YellowFul, FrameList::RedFul, FrameList::GreenFul}) {
        SCOPED_TRACE(images::ListName(list));
        const auto f = Frames(list);
        int previousCount = 0;
        double previousLuma = 0;
        for (size_t i = 2; i <= 6; ++i) {
            int count = 0;
            double luma = 0;
            for (int y = 0; y < Size(); ++y)
                for (int x = 0; x < Size(); ++x)
                    if (Opaque(f[i], x, y)) {
                        luma += Luma(At(f[i], x, y));
                        count += IsLight(At(f[i], x, y));
                    }
            EXPECT_GT(count, previousCount) << "lit area of frame " << i;
            EXPECT_GT(luma, previousLuma) << "brightness of frame " << i;
            previousCount = count;
            previousLuma = luma;
        }
    }
}

TEST_P(FramesAtSize, LightIsShadedInTheThreeTonesOfItsColour) {
    const std::pair<FrameList, std::set<Colour>> tones[] = {
        {FrameList::RedFul, {{128, 0, 0}, {185, 0, 0}, {220, 0, 0}}},
        {FrameList::GreenFul, {{0, 150, 0}, {0, 185, 0}, {0, 220, 0}}},
        {FrameList::YellowFul, {{128, 128, 0}, {185, 185, 0}, {220, 220, 0}}}};
    for (const auto& [list, shades] : tones) {
        SCOPED_TRACE(images::ListName(list));
        const auto f = Frames(list);
        for (size_t i = 0; i < f.size(); ++i) {
            std::set<Colour> seen, extra;
            for (int y = 0; y < Size(); ++y)
                for (int x = 0; x < Size(); ++x)
                    if (Opaque(f[i], x, y) && IsLight(At(f[i], x, y)))
                        (shades.count(At(f[i], x, y)) ? seen : extra).insert(At(f[i], x, y));
            // The pinpoint and small levels of the hollow lamp are too few pixels for three tones.
            if (i == 0 || i >= 4) {
                EXPECT_EQ(seen, shades) << "frame " << i << " uses all three tones";
            } else {
                EXPECT_FALSE(seen.empty()) << "frame " << i << " is lit";
            }
            if (i != 6) {
                EXPECT_TRUE(extra.empty()) << "frame " << i << " has only the three tones";
            }
            for (const Colour& c : extra) // the full lamp's glint is brighter than its brightest tone
                EXPECT_GT(Luma(c), Luma(*shades.rbegin())) << "frame " << i;
        }
        // The middle of the lens is the brightest tone at every level; the lamp of sharing off
        // is hollow, so its middle stays dark.
        const Box lens = OpaqueBox(f[0]);
        const Colour bright = *std::max_element(shades.begin(), shades.end(),
                                                [](Colour a, Colour b) { return Luma(a) < Luma(b); });
        const Colour middle = list == FrameList::RedFul ? Colour{0, 0, 0} : bright;
        for (size_t i = 0; i < f.size(); ++i)
            EXPECT_EQ(At(f[i], static_cast<int>(lens.CentreX()), static_cast<int>(lens.CentreY())), middle)
                << "frame " << i;
    }
}

// Not by colour alone: after each colour-vision simulation and in greyscale, in the lamp's own
// colours and in high-contrast themes, every frame of one state differs from every frame of
// another by the measure of tools/framesheet/vision.h.
TEST_P(FramesAtSize, StatesDifferClearlyInEveryVisionAndTheme) {
    for (const auto& theme : vision::CheckedThemes()) {
        SCOPED_TRACE(theme.Name);
        for (const auto& f : vision::Figures(Size(), theme.Theme))
            EXPECT_GE(f.Share, vision::ClearShare)
                << f.A << " and " << f.B << " with " << vision::VisionName(f.With);
    }
}

TEST_P(FramesAtSize, HighContrastFramesUseOnlyTheThemesColours) {
    const images::Theme theme{true, 0x102030, 0xF0E0D0, 0x30C060};
    const std::set<Colour> allowed{{0x10, 0x20, 0x30}, {0xF0, 0xE0, 0xD0}, {0x30, 0xC0, 0x60}};
    for (auto list : images::AllFrameLists) {
        SCOPED_TRACE(images::ListName(list));
        for (const auto& f : images::DrawFrames(list, Size(), theme))
            for (int y = 0; y < Size(); ++y)
                for (int x = 0; x < Size(); ++x)
                    if (Opaque(f, x, y)) {
                        ASSERT_EQ(allowed.count(At(f, x, y)), 1u) << x << "," << y;
                    }
    }
    // The lamp's light takes the highlight colour, the unlit lens the window colour, the rim
    // around it the text colour.
    const auto rest = images::DrawFrames(FrameList::DeTre, Size(), theme);
    const Box lens = OpaqueBox(rest[3]);
    const int cx = static_cast<int>(lens.CentreX()), cy = static_cast<int>(lens.CentreY());
    EXPECT_EQ(At(rest[1], cx, cy), (Colour{0x30, 0xC0, 0x60}));
    EXPECT_EQ(At(rest[3], cx, cy), (Colour{0x10, 0x20, 0x30}));
    EXPECT_EQ(At(rest[3], lens.left, cy), (Colour{0xF0, 0xE0, 0xD0}));
}

TEST_P(FramesAtSize, LensSitsInTheUpperLeftAndLeavesTheLastRowsAndColumnsFree) {
    const Box box = OpaqueBox(DarkLamp());
    if (Size() == 16) {
        EXPECT_EQ((std::array{box.left, box.top, box.right, box.bottom}), (std::array{1, 1, 13, 13}));
    }
    EXPECT_EQ(box.left, box.top);
    EXPECT_EQ(box.right - box.left, box.bottom - box.top) << "the lens is round, not stretched";
    EXPECT_GE(box.left, 1);
    const int free = Size() - 1 - box.right;
    EXPECT_GE(free, static_cast<int>(std::floor(2 * Scale())));
    EXPECT_LE(free, static_cast<int>(std::ceil(3 * Scale())));
    const int diameter = box.right - box.left + 1;
    EXPECT_NEAR(diameter, 13 * Scale(), 1.0);
    // Every lamp and every lamp-bearing explosion frame keeps to the lens.
    for (auto list : {FrameList::YellowHalf, FrameList::YellowFul, FrameList::RedFul, FrameList::GreenFul,
                      FrameList::DeTre}) {
        for (const auto& f : Frames(list)) {
            const Box b = OpaqueBox(f);
            EXPECT_GE(b.left, box.left);
            EXPECT_GE(b.top, box.top);
            EXPECT_LE(b.right, box.right);
            EXPECT_LE(b.bottom, box.bottom);
        }
    }
}

TEST_P(FramesAtSize, LensHasAGreyRimAroundABlackMiddle) {
    const auto dark = DarkLamp();
    int rimPixels = 0;
    for (int y = 0; y < Size(); ++y) {
        for (int x = 0; x < Size(); ++x) {
            if (!Opaque(dark, x, y)) continue;
            const bool outline = x == 0 || y == 0 || x == Size() - 1 || y == Size() - 1 ||
                                 !Opaque(dark, x - 1, y) || !Opaque(dark, x + 1, y) ||
                                 !Opaque(dark, x, y - 1) || !Opaque(dark, x, y + 1);
            const Colour c = At(dark, x, y);
            if (!outline || IsMark(c)) continue;
            ++rimPixels;
            EXPECT_TRUE(IsGrey(c)) << x << "," << y;
            EXPECT_GE(c.r, 55) << x << "," << y;
            EXPECT_LE(c.r, 140) << x << "," << y;
        }
    }
    EXPECT_GT(rimPixels, 2 * Size());
    const Box box = OpaqueBox(dark);
    EXPECT_EQ(At(dark, static_cast<int>(box.CentreX()), static_cast<int>(box.CentreY())), (Colour{0, 0, 0}));
    // The rim is lit from the upper left.
    const int mid = static_cast<int>(box.CentreY());
    EXPECT_GT(At(dark, box.left, mid).r, At(dark, box.right, mid).r);
}

TEST_P(FramesAtSize, TwoPixelDarkGreenMarkSitsOnTopOfEveryLamp) {
    for (auto list : {FrameList::BlackLight, FrameList::DeTre, FrameList::RedFul, FrameList::GreenFul}) {
        SCOPED_TRACE(images::ListName(list));
        const auto frames = Frames(list);
        for (size_t i = 0; i < frames.size(); ++i) {
            if (list == FrameList::DeTre && i == 4) continue; // the faded lamp loses half of it
            const auto& f = frames[i];
            const Box lens = OpaqueBox(f);
            std::vector<std::pair<int, int>> mark;
            for (int y = 0; y < Size(); ++y)
                for (int x = 0; x < Size(); ++x)
                    if (Opaque(f, x, y) && IsMark(At(f, x, y))) mark.emplace_back(x, y);
            if (Size() == 16) {
                ASSERT_EQ(mark.size(), 2u) << "frame " << i;
                EXPECT_EQ(mark[0].second, mark[1].second) << "side by side";
                EXPECT_EQ(mark[1].first - mark[0].first, 1) << "side by side";
            } else {
                ASSERT_GE(mark.size(), 2u) << "frame " << i;
            }
            for (auto [x, y] : mark) {
                EXPECT_LT(y - lens.top, 1.5 * Scale()) << "at the top";
                EXPECT_NEAR(x + 0.5, lens.CentreX(), 2 * Scale()) << "in the middle";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TraySizes, FramesAtSize, ::testing::Values(16, 20, 24, 32, 48),
                         [](const auto& info) { return std::to_string(info.param) + "px"; });

TEST(FrameListInput, SizesOutsideTheDrawableRangeAreRefusedWithAClearError) {
    for (int32_t bad : {INT_MIN, -16, 0, 1, 15, 257, 4096, INT_MAX}) {
        try {
            images::DrawFrames(FrameList::DeTre, bad);
            ADD_FAILURE() << "size " << bad << " was accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(std::to_string(bad)), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(images::DrawFrames(FrameList::Boom, images::MaxSize).size(), 14u);
}

TEST(FrameListInput, AnUnknownListHasNoNameNoFramesAndCannotBeDrawn) {
    const auto unknown = static_cast<FrameList>(99);
    EXPECT_STREQ(images::ListName(unknown), "");
    EXPECT_EQ(images::FrameCount(unknown), 0);
    EXPECT_THROW(images::DrawFrames(unknown, 16), std::invalid_argument);
    std::set<std::string> names;
    for (auto list : images::AllFrameLists)
        names.insert(images::ListName(list));
    EXPECT_EQ(names, (std::set<std::string>{"YellowHalf", "YellowFul", "RedFul", "GreenFul", "BlackLight",
                                            "DeTre", "Boom", "BoomLight"}));
}

TEST(SmallIconSize, FollowsTheDisplayScaleAndNeverDropsBelowSixteen) {
    const std::pair<uint32_t, int32_t> expected[] = {{96, 16},  {120, 20}, {144, 24}, {192, 32}, {168, 28},
                                                     {108, 18}, {101, 17}, {288, 48}, {72, 16},  {0, 16}};
    for (auto [dpi, size] : expected)
        EXPECT_EQ(images::SmallIconSizeForDpi(dpi), size) << "at " << dpi << " dpi";
    EXPECT_EQ(images::SmallIconSizeForDpi(UINT32_MAX), images::MaxSize);
}

} // namespace
