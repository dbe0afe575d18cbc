#pragma once
// The contact sheet: every frame list at every standard size, magnified over a checkerboard.
#include <cstdint>
#include <string>
#include <vector>

#include "app/images.h"
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

// A grid of pictures: sections one below the other, each a header, column labels and rows.
struct Row {
    std::string Label;
    std::vector<plat::IconImage> Frames;
};
struct Section {
    std::string Label;
    std::vector<std::string> ColumnLabels;
    std::vector<Row> Rows;
};
// Throws std::invalid_argument for a scale outside 1..16.
Sheet BuildGrid(const std::string& title, const std::string& subtitle, const std::vector<Section>& sections,
                int32_t scale);

// Every list (rows) and frame (columns), one section per standard size, in the given theme.
Sheet BuildSheet(int32_t scale, const images::Theme& theme = {}, const std::string& themeName = "");

// The lamps of the states at every standard size, in the lamp's colours and in high contrast,
// through each colour-vision simulation and in greyscale.
Sheet BuildVisionSheet(int32_t scale);

// Frames side by side on a transparent ground, magnified, `gap` transparent pixels apart.
Raster Strip(const std::vector<plat::IconImage>& frames, int32_t scale, int32_t gap);

} // namespace framesheet
