#include "sheet.h"

#include <algorithm>
#include <stdexcept>

#include "app/images.h"
#include "vision.h"

namespace framesheet {
namespace {

constexpr uint32_t Paper = 0xF2F2F2;
constexpr uint32_t CellBorder = 0x9A9A9A;
constexpr uint32_t CheckLight = 0xFFFFFF;
constexpr uint32_t CheckDark = 0xCFCFCF;

constexpr int32_t Margin = 16;
constexpr int32_t NameColumn = 190;
constexpr int32_t Gap = 10;
constexpr int32_t TitleHeight = 44;
constexpr int32_t SectionHeader = 34;

int32_t MostFrames() {
    int32_t most = 0;
    for (auto list : images::AllFrameLists)
        most = std::max(most, images::FrameCount(list));
    return most;
}

void Checkerboard(Raster& r, int32_t x, int32_t y, int32_t side, int32_t check) {
    for (int32_t cy = 0; cy < side; cy += check)
        for (int32_t cx = 0; cx < side; cx += check)
            r.Fill(x + cx, y + cy, std::min(check, side - cx), std::min(check, side - cy),
                   ((cx / check + cy / check) % 2 == 0) ? CheckLight : CheckDark);
}

std::string ThemeLabel(const std::string& name) {
    if (name == "high contrast black") return "HC black, ";
    if (name == "high contrast white") return "HC white, ";
    return "";
}

} // namespace

Raster::Raster(int32_t width, int32_t height, uint32_t rgb)
    : Width(width), Height(height), Rgba(static_cast<size_t>(width) * height * 4) {
    Fill(0, 0, width, height, rgb);
}

void Raster::Fill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb) {
    for (int32_t row = std::max(0, y); row < std::min(Height, y + h); ++row) {
        for (int32_t col = std::max(0, x); col < std::min(Width, x + w); ++col) {
            uint8_t* p = &Rgba[(static_cast<size_t>(row) * Width + col) * 4];
            p[0] = static_cast<uint8_t>(rgb >> 16);
            p[1] = static_cast<uint8_t>(rgb >> 8);
            p[2] = static_cast<uint8_t>(rgb);
            p[3] = 0xFF;
        }
    }
}

void Raster::Blit(const plat::IconImage& picture, int32_t x, int32_t y, int32_t scale) {
    for (int32_t py = 0; py < picture.Height; ++py) {
        for (int32_t px = 0; px < picture.Width; ++px) {
            const size_t i = static_cast<size_t>(py) * picture.Width + px;
            if (picture.Mask[i] != 0) continue;
            Fill(x + px * scale, y + py * scale, scale, scale, picture.Pixels[i] & 0xFFFFFFu);
        }
    }
}

Sheet BuildGrid(const std::string& title, const std::string& subtitle, const std::vector<Section>& sections,
                int32_t scale) {
    if (scale < 1 || scale > 16) throw std::invalid_argument("the magnification must be 1 to 16");
    int32_t columns = 0, largest = 0, height = Margin + TitleHeight;
    for (const auto& section : sections) {
        height += SectionHeader + Gap;
        for (const auto& row : section.Rows) {
            int32_t tallest = 0;
            for (const auto& f : row.Frames)
                tallest = std::max(tallest, f.Height);
            columns = std::max(columns, static_cast<int32_t>(row.Frames.size()));
            largest = std::max(largest, tallest);
            height += tallest * scale + Gap;
        }
    }
    const int32_t column = largest * scale + Gap;
    const int32_t width = Margin + NameColumn + columns * column + Margin;

    Sheet sheet{Raster(width, height + Margin, Paper), {}};
    sheet.Labels.push_back({Margin, Margin + 20, 20, true, title});
    sheet.Labels.push_back({Margin, Margin + 38, 13, false, subtitle});
    int32_t y = Margin + TitleHeight;
    for (const auto& section : sections) {
        sheet.Labels.push_back({Margin, y + 22, 15, true, section.Label});
        int32_t first = 0;
        for (const auto& row : section.Rows)
            if (!row.Frames.empty()) first = std::max(first, row.Frames.front().Width * scale);
        for (size_t c = 0; c < section.ColumnLabels.size(); ++c)
            sheet.Labels.push_back({Margin + NameColumn + static_cast<int32_t>(c) * column + first / 2 - 5,
                                    y + 26, 12, false, section.ColumnLabels[c]});
        y += SectionHeader;
        for (const auto& row : section.Rows) {
            int32_t cell = 0;
            for (const auto& f : row.Frames)
                cell = std::max(cell, f.Height * scale);
            sheet.Labels.push_back({Margin, y + cell / 2 + 5, 14, false, row.Label});
            for (size_t f = 0; f < row.Frames.size(); ++f) {
                const int32_t x = Margin + NameColumn + static_cast<int32_t>(f) * column;
                const int32_t side = row.Frames[f].Width * scale;
                sheet.Image.Fill(x - 1, y - 1, side + 2, side + 2, CellBorder);
                Checkerboard(sheet.Image, x, y, side, std::max(2, scale * 2));
                sheet.Image.Blit(row.Frames[f], x, y, scale);
            }
            y += cell + Gap;
        }
        y += Gap;
    }
    return sheet;
}

Sheet BuildSheet(int32_t scale, const images::Theme& theme, const std::string& themeName) {
    std::vector<Section> sections;
    for (int32_t size : images::StandardSizes) {
        Section section{std::to_string(size) + " x " + std::to_string(size) + " px", {}, {}};
        for (int32_t f = 0; f < MostFrames(); ++f)
            section.ColumnLabels.push_back(std::to_string(f));
        for (auto list : images::AllFrameLists)
            section.Rows.push_back({images::ListName(list), images::DrawFrames(list, size, theme)});
        sections.push_back(std::move(section));
    }
    return BuildGrid("Tarnwick tray lamp: every frame list" + (themeName.empty() ? "" : ", " + themeName),
                     "magnified " + std::to_string(scale) +
                         "x, nearest neighbour, over a checkerboard (transparent pixels show it)",
                     sections, scale);
}

Sheet BuildVisionSheet(int32_t scale) {
    std::vector<Section> sections;
    for (int32_t size : images::StandardSizes) {
        Section section{std::to_string(size) + " x " + std::to_string(size) + " px", {}, {}};
        for (const auto& theme : vision::CheckedThemes()) {
            const auto states = vision::States(size, theme.Theme);
            if (section.ColumnLabels.empty())
                for (const auto& state : states)
                    for (size_t f = 0; f < state.Frames.size(); ++f)
                        section.ColumnLabels.push_back(f == 0 ? state.Name : "");
            for (vision::Vision v : vision::AllVisions) {
                Row row{ThemeLabel(theme.Name) + vision::VisionName(v), {}};
                for (const auto& state : states)
                    for (const auto& f : state.Frames)
                        row.Frames.push_back(vision::Simulated(f, v));
                section.Rows.push_back(std::move(row));
            }
        }
        sections.push_back(std::move(section));
    }
    return BuildGrid(
        "Tarnwick tray lamp: the states as others see them",
        "on, off, the switching pulse, unlit; each vision, in the lamp's colours and high contrast; " +
            std::to_string(scale) + "x",
        sections, scale);
}

Raster Strip(const std::vector<plat::IconImage>& frames, int32_t scale, int32_t gap) {
    int32_t width = 0, height = 0;
    for (const auto& f : frames) {
        width += f.Width * scale + (width > 0 ? gap : 0);
        height = std::max(height, f.Height * scale);
    }
    Raster r(std::max(width, 1), std::max(height, 1), 0);
    std::fill(r.Rgba.begin(), r.Rgba.end(), uint8_t{0});
    int32_t x = 0;
    for (const auto& f : frames) {
        r.Blit(f, x, 0, scale);
        x += f.Width * scale + gap;
    }
    return r;
}

} // namespace framesheet
