#pragma once
// The contact sheet: every frame list at every standard size, magnified over a checkerboard.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace framesheet {

// An RGBA raster, top row first, four bytes per pixel.
struct Raster {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Rgba;

    Raster(int32_t width, int32_t height, uint32_t rgb);
    void Fill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb);
    // Draws the picture magnified `scale` times (nearest neighbour); transparent pixels are left alone.
    void Blit(const plat::IconImage& picture, int32_t x, int32_t y, int32_t scale);
};

// A line of text for the image tool to write onto the raster; (X, Y) is the baseline start.
struct Label {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t PointSize = 12;
    bool Bold = false;
    std::string Text;
};

struct Sheet {
    Raster Image;
    std::vector<Label> Labels;
};

// Lays out every list (rows) and frame (columns), one section per standard size.
// Throws std::invalid_argument for a scale outside 1..16.
Sheet BuildSheet(int32_t scale);

// Frames side by side on a transparent ground, magnified, `gap` transparent pixels apart.
Raster Strip(const std::vector<plat::IconImage>& frames, int32_t scale, int32_t gap);

} // namespace framesheet
