#pragma once
#include <cstdint>
#include <vector>

namespace plat {

// A square icon picture held by the program: 32-bit colour plus a 1-bit transparency mask.
struct IconImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels; // 0xAARRGGBB, row-major, top row first
    std::vector<uint8_t> Mask;    // one entry per pixel: 1 = transparent, 0 = opaque

    bool Empty() const { return Width <= 0 || Height <= 0; }
    bool operator==(const IconImage&) const = default;
};

} // namespace plat
