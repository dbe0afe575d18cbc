#pragma once
// Windows icon files (.ico) holding 32-bit pictures with an AND mask, one entry per size.
#include <cstdint>
#include <vector>

#include "platform/image.h"

namespace framesheet {

// Encodes the pictures, in the given order, as one .ico file. Each entry is a 32-bit BMP
// (colour rows bottom-up, alpha kept) followed by its 1-bit AND mask (1 = transparent).
// Throws std::invalid_argument for an empty list, a picture that is not square, not 1..256
// pixels wide, or whose pixel or mask buffer does not match its size.
std::vector<uint8_t> EncodeIco(const std::vector<plat::IconImage>& pictures);

} // namespace framesheet
