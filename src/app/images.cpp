#include "app/images.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

// Every picture is described on the 16-pixel design grid, relative to the lens centre, and sampled
// once per pixel centre at the requested size. Nothing is ever resampled from another size, so each
// size stays crisp (hard edges, no blending between neighbours).

namespace images {
namespace {

struct Rgb {
    uint8_t r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

Rgb Grey(int32_t v) {
    const auto c = static_cast<uint8_t>(std::clamp(v, 0, 255));
    return {c, c, c};
}

constexpr Rgb Black{0, 0, 0};
constexpr Rgb MarkGreen{0, 90, 0};

Rgb FromRgb(uint32_t rgb) {
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
}

// What each part of a picture is painted with. In a high-contrast theme every part takes one of
// the theme's three colours, and only the shapes tell the states apart.
class Palette {
  public:
    explicit Palette(const Theme& theme) : theme_(theme) {}
    Rgb Rim(Rgb grey) const { return theme_.HighContrast ? FromRgb(theme_.WindowText) : grey; }
    Rgb Lens() const { return theme_.HighContrast ? FromRgb(theme_.Window) : Black; }
    Rgb Mark() const { return theme_.HighContrast ? FromRgb(theme_.WindowText) : MarkGreen; }
    Rgb Light(Rgb tone) const { return theme_.HighContrast ? FromRgb(theme_.Highlight) : tone; }
    Rgb Glint(Rgb c) const { return theme_.HighContrast ? FromRgb(theme_.WindowText) : c; }
    // Spark, rings and fire: the white and pale parts in the text colour, the rest highlighted.
    Rgb Fire(Rgb c) const {
        if (!theme_.HighContrast) return c;
        const bool pale = std::min({c.r, c.g, c.b}) >= 200 || (c.r == c.g && c.g == c.b);
        return FromRgb(pale ? theme_.WindowText : theme_.Highlight);
    }

  private:
    Theme theme_;
};

struct LampColour {
    Rgb dark, mid, bright, highlight;
};
constexpr LampColour Red{{128, 0, 0}, {185, 0, 0}, {220, 0, 0}, {255, 190, 180}};
constexpr LampColour Green{{0, 150, 0}, {0, 185, 0}, {0, 220, 0}, {200, 255, 200}};
constexpr LampColour Yellow{{128, 128, 0}, {185, 185, 0}, {220, 220, 0}, {255, 255, 210}};

enum class Level { Pinpoint, Small, Normal, Large, Full };

// Lit-square sides on the design grid for pinpoint, small, normal and large; full lights the lens.
constexpr std::array<double, 4> LitSideOnGrid{3, 5, 7, 9};

class Canvas {
  public:
    explicit Canvas(int32_t size) {
        image_.Width = size;
        image_.Height = size;
        image_.Pixels.assign(static_cast<size_t>(size) * size, 0);
        image_.Mask.assign(static_cast<size_t>(size) * size, 1);
    }
    explicit Canvas(plat::IconImage image) : image_(std::move(image)) {}

    int32_t Size() const { return image_.Width; }

    void Set(int32_t x, int32_t y, Rgb c) {
        if (x < 0 || y < 0 || x >= image_.Width || y >= image_.Height) return;
        const size_t i = static_cast<size_t>(y) * image_.Width + x;
        image_.Pixels[i] = 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
        image_.Mask[i] = 0;
    }
    void Clear(int32_t x, int32_t y) {
        const size_t i = static_cast<size_t>(y) * image_.Width + x;
        image_.Pixels[i] = 0;
        image_.Mask[i] = 1;
    }
    // Copies every opaque pixel of `over` onto this picture.
    void Overlay(const plat::IconImage& over) {
        for (size_t i = 0; i < image_.Pixels.size() && i < over.Pixels.size(); ++i) {
            if (over.Mask[i] == 0) {
                image_.Pixels[i] = over.Pixels[i];
                image_.Mask[i] = 0;
            }
        }
    }
    plat::IconImage Take() { return std::move(image_); }

  private:
    plat::IconImage image_;
};

// Where the lamp sits in a cell of a given size.
struct Geometry {
    int32_t size = 0;
    int32_t lensDiameter = 0;
    double cx = 0, cy = 0; // lens centre in pixels
    double radius = 0;     // lens radius in pixels
    double unit = 1;       // pixels per design-grid pixel
    int32_t rim = 1;       // rim width in pixels
    std::array<int32_t, 4> litSides{};

    // Offset of a pixel centre from the lens centre, in pixels.
    double Px(int32_t x) const { return x + 0.5 - cx; }
    double Py(int32_t y) const { return y + 0.5 - cy; }
};

// Rounds v to the nearest integer of the given parity (0 even, 1 odd).
int32_t NearestOfParity(double v, int32_t parity) {
    return static_cast<int32_t>(std::lround((v - parity) / 2.0)) * 2 + parity;
}

Geometry MakeGeometry(int32_t size) {
    Geometry g;
    const double k = size / 16.0;
    g.size = size;
    const int32_t left = std::max(1, static_cast<int32_t>(std::floor(k)));
    // The last two or three design rows and columns stay free, as in the 16-pixel original.
    const int32_t freeTail = static_cast<int32_t>(std::floor(2 * k));
    g.lensDiameter = std::min(static_cast<int32_t>(std::lround(13 * k)), size - left - freeTail);
    g.radius = g.lensDiameter / 2.0;
    g.cx = g.cy = left + g.radius;
    g.unit = g.lensDiameter / 13.0;
    g.rim = std::max(1, static_cast<int32_t>(std::lround(g.unit)));
    // Lit squares share the lens's parity so that they sit exactly centred; each level is
    // at least one pixel ring larger than the one below, so brightness always rises.
    const int32_t parity = g.lensDiameter % 2;
    int32_t previous = 0;
    for (size_t i = 0; i < LitSideOnGrid.size(); ++i) {
        const int32_t side = std::max(NearestOfParity(LitSideOnGrid[i] * g.unit, parity), previous + 2);
        g.litSides[i] = side;
        previous = side;
    }
    return g;
}

// ---- The lamp ----

// The mark: two design pixels wide, one high, on the top of the rim just right of the centre.
bool OnMark(const Geometry& g, int32_t x, int32_t y) {
    const double dx = g.Px(x) / g.unit, dy = g.Py(y) / g.unit;
    return dx >= -0.5 && dx < 1.5 && dy >= -6.5 && dy < -5.5 && std::hypot(g.Px(x), g.Py(y)) <= g.radius;
}

// The unlit lamp: bevelled grey rim lit from the upper left, black lens, dark green mark on top.
Canvas DarkLamp(const Geometry& g, const Palette& pal) {
    Canvas c(g.size);
    for (int32_t y = 0; y < g.size; ++y) {
        for (int32_t x = 0; x < g.size; ++x) {
            const double px = g.Px(x), py = g.Py(y);
            const double r = std::hypot(px, py);
            if (r > g.radius) continue;
            if (r > g.radius - g.rim) {
                const double light = (-px - py) / (r * std::sqrt(2.0)); // -1 lower right .. 1 upper left
                // On a wider rim the inner ring is a shade darker: the lens sits in a recess.
                const bool inner = g.rim > 1 && r <= g.radius - 1;
                c.Set(x, y,
                      pal.Rim(Grey(static_cast<int32_t>(std::lround(98 + 37 * light)) - (inner ? 22 : 0))));
            } else {
                c.Set(x, y, pal.Lens());
            }
        }
    }
    for (int32_t y = 0; y < g.size; ++y)
        for (int32_t x = 0; x < g.size; ++x)
            if (OnMark(g, x, y)) c.Set(x, y, pal.Mark());
    return c;
}

// The lamp's light: three tones from the edge (dark) to the middle (bright).
Rgb Tone(const LampColour& colour, double t) {
    if (t < 0.45) return colour.bright;
    if (t < 0.8) return colour.mid;
    return colour.dark;
}

// How a lamp tells its state by shape as well as by colour, so that it reads without hue: the
// lit lamp (sharing on) is solid; the lamp of sharing off is hollow, a ring of light round a
// dark middle; the lamp of a switch under way wears a ring of light inside the rim, which stays
// while the light inside it pulses (at full brightness the rim itself lights up).
enum class Shape { Solid, Hollow, Ringed };

// Wall of the hollow lamp in design pixels, per level: thin enough that the hollow shows at
// 16 px, thicker on the larger levels so that the light still grows from level to level.
constexpr std::array<double, 4> HollowWallOnGrid{1, 1, 1, 2};
// The hollow of the full lamp, as a share of the lens's inner radius.
constexpr double FullHollow = 0.45;

struct Lamp {
    const LampColour& colour;
    Shape shape;
};

// Tone of a pixel on the wall of the hollow lamp, bright on its inner side.
Rgb WallTone(const LampColour& colour, double r, double hole, double edge) {
    const double t = (r - hole) / std::max(edge - hole, 1e-9);
    if (t < 0.45) return colour.bright;
    if (t < 0.72) return colour.mid;
    return colour.dark;
}

plat::IconImage LitLamp(const Geometry& g, const Palette& pal, const Lamp& lamp, Level level) {
    Canvas c = DarkLamp(g, pal);
    const double inner = g.radius - g.rim;
    const LampColour& colour = lamp.colour;
    for (int32_t y = 0; y < g.size; ++y) {
        for (int32_t x = 0; x < g.size; ++x) {
            const double px = g.Px(x), py = g.Py(y);
            const double r = std::hypot(px, py);
            if (r > inner) continue;
            if (level == Level::Full) {
                if (lamp.shape != Shape::Hollow)
                    c.Set(x, y, pal.Light(Tone(colour, r / inner)));
                else if (r >= FullHollow * inner)
                    c.Set(x, y, pal.Light(WallTone(colour, r, FullHollow * inner, inner)));
                continue;
            }
            const auto index = static_cast<size_t>(level);
            const double half = g.litSides[index] / 2.0;
            // Square with its corner pixels taken off on the larger levels: a round-ish glow.
            const bool inSquare = std::abs(px) < half && std::abs(py) < half && r <= 1.1 * half;
            if (inSquare && lamp.shape != Shape::Hollow) {
                c.Set(x, y, pal.Light(Tone(colour, r / half)));
            } else if (inSquare) {
                const double wall = std::max(1.0, std::floor(HollowWallOnGrid[index] * g.unit));
                const double hole = half - wall;
                const bool inHole = std::abs(px) < hole && std::abs(py) < hole && r <= hole;
                if (!inHole) c.Set(x, y, pal.Light(WallTone(colour, r, hole, 1.1 * half)));
            } else if (lamp.shape == Shape::Ringed && r > inner - g.unit) {
                c.Set(x, y, pal.Light(colour.bright));
            }
        }
    }
    if (lamp.shape == Shape::Ringed && level == Level::Full) {
        for (int32_t y = 0; y < g.size; ++y) {
            for (int32_t x = 0; x < g.size; ++x) {
                const double px = g.Px(x), py = g.Py(y);
                const double r = std::hypot(px, py);
                if (r <= inner || r > g.radius || OnMark(g, x, y)) continue;
                // Lit from the upper left, as the grey rim is.
                c.Set(x, y, pal.Light(px + py < 0 ? colour.bright : colour.mid));
            }
        }
    }
    if (level == Level::Full) {
        // A glint on the upper left of the glass.
        for (int32_t y = 0; y < g.size; ++y) {
            for (int32_t x = 0; x < g.size; ++x) {
                const double dx = g.Px(x) / g.unit + 2.2, dy = g.Py(y) / g.unit + 2.2;
                const double d = std::hypot(dx, dy);
                if (d < 0.75)
                    c.Set(x, y, pal.Glint(colour.highlight));
                else if (d < 1.35)
                    c.Set(x, y, pal.Glint(Mix(colour.bright, colour.highlight, 0.5)));
            }
        }
    }
    return c.Take();
}

plat::IconImage FadedLamp(const Geometry& g, const Palette& pal) {
    Canvas c = DarkLamp(g, pal);
    for (int32_t y = 0; y < g.size; ++y)
        for (int32_t x = 0; x < g.size; ++x)
            if ((x + y) % 2 == 1) c.Clear(x, y);
    return c.Take();
}

// ---- The explosion ----

// Repeatable per-cell noise in [0, 1) on the design grid, so flecks keep their places at every size.
double Noise(double dx, double dy, uint32_t salt) {
    const auto gx = static_cast<uint32_t>(static_cast<int32_t>(std::floor(dx)) + 1024);
    const auto gy = static_cast<uint32_t>(static_cast<int32_t>(std::floor(dy)) + 1024);
    uint32_t h = gx * 374761393u + gy * 668265263u + salt * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFu) / 65536.0;
}

constexpr Rgb White{255, 255, 255};

// Frame 1 and 2: the spark.
std::optional<Rgb> Spark(int32_t frame, double dx, double dy) {
    if (frame == 1) {
        if (dx >= -1 && dx < 1 && dy >= -1 && dy < 1) return (dx < 0 && dy < 0) ? Grey(205) : Grey(150);
        return std::nullopt;
    }
    if (std::abs(dx) < 1.75 && std::abs(dy) < 1.75) return std::hypot(dx, dy) < 0.9 ? Grey(215) : Grey(140);
    return std::nullopt;
}

// Frames 3 to 5: a grey ring around a pale lilac core, purple flecks inside and out.
std::optional<Rgb> Ring(int32_t frame, double dx, double dy) {
    constexpr Rgb Lilac{228, 208, 248};
    constexpr Rgb Purple{124, 36, 168};
    const double outer = 1.4 + 0.7 * (frame - 2); // 2.1, 2.8, 3.5
    const double r = std::hypot(dx, dy);
    const double n = Noise(dx, dy, static_cast<uint32_t>(frame));
    if (r <= outer - 1) return n < 0.28 ? Purple : Lilac;
    if (r <= outer)
        return Grey(static_cast<int32_t>(std::lround(145 + 30 * (-dx - dy) / (r * std::sqrt(2.0)))));
    if (r <= outer + 1 && n < 0.22) return Purple;
    return std::nullopt;
}

// The burst's ragged outline: pointed lobes whose phase turns a little from frame to frame.
double BurstEdge(double radius, double dx, double dy, int32_t frame) {
    const double angle = std::atan2(dy, dx);
    const double lobes = 0.5 + 0.5 * std::cos(8 * angle + 0.7 * frame);
    return radius * (0.8 + 0.2 * lobes * lobes);
}

// Frame 6: a small red-orange burst with a brown rim and a white cross-shaped flare.
std::optional<Rgb> SmallBurst(double dx, double dy) {
    constexpr Rgb Body{236, 88, 24};
    constexpr Rgb Brown{118, 54, 22};
    const double r = std::hypot(dx, dy);
    const double edge = BurstEdge(5.0, dx, dy, 6);
    const bool onCross = (std::abs(dx) < 0.5 || std::abs(dy) < 0.5) && r <= 5.6;
    if (onCross) return r < 1.5 ? White : Rgb{255, 236, 200};
    if (r > edge) return std::nullopt;
    if (r > edge - 1) return Brown;
    return Body;
}

// Frames 7 to 11: the burst fills the cell, from orange-red through amber to yellow-orange,
// with a white four-pointed star in the middle.
std::optional<Rgb> BigBurst(int32_t frame, double dx, double dy) {
    static constexpr std::array<Rgb, 5> Body{Rgb{240, 72, 12}, Rgb{248, 108, 8}, Rgb{255, 146, 6},
                                             Rgb{255, 172, 24}, Rgb{255, 196, 52}};
    const int32_t step = frame - 7;
    const Rgb body = Body[static_cast<size_t>(step)];
    const double r = std::hypot(dx, dy);
    const double edge = BurstEdge(6.0 + 1.0 * step, dx, dy, frame);
    if (r > edge) return std::nullopt;
    const double star = 2.6 + 0.7 * step; // arm length of the star
    if (std::cbrt(dx * dx) + std::cbrt(dy * dy) <= std::cbrt(star * star)) return White;
    const double n = Noise(dx, dy, static_cast<uint32_t>(frame) * 7u);
    if (r > edge - 1.1) return n < 0.45 ? Mix(body, Rgb{150, 30, 8}, 0.6) : Mix(body, Rgb{200, 40, 0}, 0.3);
    if (r < 0.55 * edge) return Mix(body, Rgb{255, 240, 160}, 0.45);
    return body;
}

// Frame 12: a pale yellow disc with dark red flecks on its rim.
std::optional<Rgb> PaleDisc(double dx, double dy) {
    const double r = std::hypot(dx, dy);
    // Smaller than the burst before it, so the flecked rim shows all round: the fire is cooling.
    const double edge = 6.9 + 0.6 * Noise(dx, dy, 12);
    if (r > edge) return std::nullopt;
    if (r > edge - 1.3) return Noise(dx, dy, 121) < 0.5 ? Rgb{150, 24, 10} : Rgb{246, 196, 110};
    return r < 3.8 ? Rgb{255, 248, 196} : Rgb{255, 236, 160};
}

// Frame 13: the afterglow, pale yellow-white over the whole cell.
std::optional<Rgb> Glow(double dx, double dy) {
    const double r = std::hypot(dx, dy);
    if (r > 10.6) return std::nullopt;
    if (r < 4.0) return Rgb{255, 253, 238};
    if (r < 7.5) return Rgb{255, 246, 204};
    return Rgb{255, 234, 170};
}

plat::IconImage Explosion(const Geometry& g, const Palette& pal, int32_t frame) {
    Canvas c(g.size);
    for (int32_t y = 0; y < g.size; ++y) {
        for (int32_t x = 0; x < g.size; ++x) {
            const double dx = g.Px(x) / g.unit, dy = g.Py(y) / g.unit;
            std::optional<Rgb> p;
            if (frame == 0)
                p = std::nullopt;
            else if (frame <= 2)
                p = Spark(frame, dx, dy);
            else if (frame <= 5)
                p = Ring(frame, dx, dy);
            else if (frame == 6)
                p = SmallBurst(dx, dy);
            else if (frame <= 11)
                p = BigBurst(frame, dx, dy);
            else if (frame == 12)
                p = PaleDisc(dx, dy);
            else
                p = Glow(dx, dy);
            if (p) c.Set(x, y, pal.Fire(*p));
        }
    }
    return c.Take();
}

// ---- The lists ----

constexpr Lamp RedLamp{Red, Shape::Hollow};
constexpr Lamp GreenLamp{Green, Shape::Solid};
constexpr Lamp YellowLamp{Yellow, Shape::Ringed};

std::vector<plat::IconImage> ColourCycle(const Geometry& g, const Palette& pal, const Lamp& lamp) {
    // normal, small, pinpoint, small, normal, large, full, large: a breathing pulse.
    static constexpr Level Order[] = {Level::Normal, Level::Small, Level::Pinpoint, Level::Small,
                                      Level::Normal, Level::Large, Level::Full,     Level::Large};
    std::vector<plat::IconImage> frames;
    for (Level level : Order)
        frames.push_back(LitLamp(g, pal, lamp, level));
    return frames;
}

std::vector<plat::IconImage> BoomLightFrames(const Geometry& g, const Palette& pal) {
    std::vector<plat::IconImage> frames;
    frames.push_back(DarkLamp(g, pal).Take());
    for (int32_t i = 1; i <= 6; ++i) {
        Canvas c = DarkLamp(g, pal);
        c.Overlay(Explosion(g, pal, i));
        frames.push_back(c.Take());
    }
    for (int32_t i = 7; i <= 13; ++i)
        frames.push_back(Explosion(g, pal, i));
    return frames;
}

} // namespace

const char* ListName(FrameList list) {
    switch (list) {
    case FrameList::YellowHalf:
        return "YellowHalf";
    case FrameList::YellowFul:
        return "YellowFul";
    case FrameList::RedFul:
        return "RedFul";
    case FrameList::GreenFul:
        return "GreenFul";
    case FrameList::BlackLight:
        return "BlackLight";
    case FrameList::DeTre:
        return "DeTre";
    case FrameList::Boom:
        return "Boom";
    case FrameList::BoomLight:
        return "BoomLight";
    }
    return "";
}

int32_t FrameCount(FrameList list) {
    switch (list) {
    case FrameList::YellowHalf:
        return 4;
    case FrameList::YellowFul:
    case FrameList::RedFul:
    case FrameList::GreenFul:
    case FrameList::BlackLight:
        return 8;
    case FrameList::DeTre:
        return 5;
    case FrameList::Boom:
    case FrameList::BoomLight:
        return 14;
    }
    return 0;
}

std::vector<plat::IconImage> DrawFrames(FrameList list, int32_t size, const Theme& theme) {
    // english-begin: a fault of the build, for its developers
    if (size < MinSize || size > MaxSize)
        throw std::invalid_argument("icon size " + std::to_string(size) + " is outside " +
                                    std::to_string(MinSize) + ".." + std::to_string(MaxSize));
    // english-end
    const Geometry g = MakeGeometry(size);
    const Palette pal(theme);
    switch (list) {
    case FrameList::YellowHalf:
        return {LitLamp(g, pal, YellowLamp, Level::Pinpoint), LitLamp(g, pal, YellowLamp, Level::Small),
                LitLamp(g, pal, YellowLamp, Level::Normal), LitLamp(g, pal, YellowLamp, Level::Small)};
    case FrameList::YellowFul:
        return ColourCycle(g, pal, YellowLamp);
    case FrameList::RedFul:
        return ColourCycle(g, pal, RedLamp);
    case FrameList::GreenFul:
        return ColourCycle(g, pal, GreenLamp);
    case FrameList::BlackLight:
        return std::vector<plat::IconImage>(8, DarkLamp(g, pal).Take());
    case FrameList::DeTre:
        return {LitLamp(g, pal, RedLamp, Level::Normal), LitLamp(g, pal, GreenLamp, Level::Normal),
                LitLamp(g, pal, YellowLamp, Level::Normal), DarkLamp(g, pal).Take(), FadedLamp(g, pal)};
    case FrameList::Boom: {
        std::vector<plat::IconImage> frames;
        for (int32_t i = 0; i < 14; ++i)
            frames.push_back(Explosion(g, pal, i));
        return frames;
    }
    case FrameList::BoomLight:
        return BoomLightFrames(g, pal);
    }
    // english-begin: a fault of the build
    throw std::invalid_argument("unknown frame list " + std::to_string(static_cast<int32_t>(list)));
    // english-end
}

int32_t SmallIconSizeForDpi(uint32_t dpi) {
    // 16 px per 96 dpi, rounded to the nearest pixel as the system scales its metrics.
    const uint64_t size = (uint64_t{dpi} * 16 + 48) / 96;
    return static_cast<int32_t>(std::clamp<uint64_t>(size, MinSize, MaxSize));
}

} // namespace images
