#include "ico.h"

#include <stdexcept>
#include <string>

namespace framesheet {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

void Check(const plat::IconImage& p, size_t index) {
    const auto where = "icon picture " + std::to_string(index) + ": ";
    if (p.Width <= 0 || p.Width > 256 || p.Height != p.Width)
        throw std::invalid_argument(where + "must be square and 1 to 256 pixels wide");
    const size_t n = static_cast<size_t>(p.Width) * p.Height;
    if (p.Pixels.size() != n || p.Mask.size() != n)
        throw std::invalid_argument(where + "pixel or mask buffer does not match its size");
}

// Mask rows are padded to whole 32-bit words.
uint32_t MaskStride(int32_t width) {
    return static_cast<uint32_t>((width + 31) / 32 * 4);
}

uint32_t EntryBytes(const plat::IconImage& p) {
    const auto w = static_cast<uint32_t>(p.Width), h = static_cast<uint32_t>(p.Height);
    return 40 + w * h * 4 + MaskStride(p.Width) * h;
}

void PutEntry(std::vector<uint8_t>& out, const plat::IconImage& p) {
    const auto w = static_cast<uint32_t>(p.Width), h = static_cast<uint32_t>(p.Height);
    // BITMAPINFOHEADER; the height counts colour rows and mask rows together.
    Put32(out, 40);
    Put32(out, w);
    Put32(out, h * 2);
    Put16(out, 1);  // planes
    Put16(out, 32); // bits per pixel
    Put32(out, 0);  // BI_RGB
    Put32(out, EntryBytes(p) - 40);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (uint32_t row = h; row-- > 0;) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t argb = p.Pixels[row * w + x];
            out.push_back(static_cast<uint8_t>(argb));       // blue
            out.push_back(static_cast<uint8_t>(argb >> 8));  // green
            out.push_back(static_cast<uint8_t>(argb >> 16)); // red
            out.push_back(static_cast<uint8_t>(argb >> 24)); // alpha
        }
    }
    const uint32_t stride = MaskStride(p.Width);
    for (uint32_t row = h; row-- > 0;) {
        std::vector<uint8_t> bits(stride, 0);
        for (uint32_t x = 0; x < w; ++x)
            if (p.Mask[row * w + x] != 0) bits[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
        out.insert(out.end(), bits.begin(), bits.end());
    }
}

} // namespace

std::vector<uint8_t> EncodeIco(const std::vector<plat::IconImage>& pictures) {
    if (pictures.empty()) throw std::invalid_argument("an icon file needs at least one picture");
    if (pictures.size() > 0xFFFF) throw std::invalid_argument("too many pictures for one icon file");
    for (size_t i = 0; i < pictures.size(); ++i)
        Check(pictures[i], i);

    std::vector<uint8_t> out;
    Put16(out, 0); // reserved
    Put16(out, 1); // type: icon
    Put16(out, static_cast<uint32_t>(pictures.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(pictures.size());
    for (const auto& p : pictures) {
        out.push_back(static_cast<uint8_t>(p.Width == 256 ? 0 : p.Width)); // 0 stands for 256
        out.push_back(static_cast<uint8_t>(p.Height == 256 ? 0 : p.Height));
        out.push_back(0); // no palette
        out.push_back(0); // reserved
        Put16(out, 1);    // planes
        Put16(out, 32);   // bits per pixel
        Put32(out, EntryBytes(p));
        Put32(out, offset);
        offset += EntryBytes(p);
    }
    for (const auto& p : pictures)
        PutEntry(out, p);
    return out;
}

} // namespace framesheet
