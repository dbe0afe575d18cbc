// The program icon file: read back independently of the writer and compared with its pictures.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/images.h"
#include "framesheet/ico.h"

namespace {

using plat::IconImage;

uint32_t Read16(const std::vector<uint8_t>& b, size_t at) {
    return b.at(at) | (b.at(at + 1) << 8);
}
uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
    return Read16(b, at) | (Read16(b, at + 2) << 16);
}

struct Entry {
    uint32_t width, height, bytes, offset;
    IconImage picture;
};

// Decodes what a Windows icon loader reads: directory, BITMAPINFOHEADER, bottom-up BGRA rows,
// bottom-up 1-bit mask rows padded to 32 bits.
std::vector<Entry> ReadIco(const std::vector<uint8_t>& file) {
    EXPECT_EQ(Read16(file, 0), 0u);
    EXPECT_EQ(Read16(file, 2), 1u) << "type icon";
    const uint32_t count = Read16(file, 4);
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t d = 6 + 16 * i;
        Entry e{file.at(d) == 0 ? 256u : file.at(d),
                file.at(d + 1) == 0 ? 256u : file.at(d + 1),
                Read32(file, d + 8),
                Read32(file, d + 12),
                {}};
        EXPECT_EQ(Read16(file, d + 4), 1u) << "planes";
        EXPECT_EQ(Read16(file, d + 6), 32u) << "bits per pixel";
        EXPECT_LE(e.offset + e.bytes, file.size());
        const size_t h = e.offset;
        EXPECT_EQ(Read32(file, h), 40u);
        EXPECT_EQ(Read32(file, h + 4), e.width);
        EXPECT_EQ(Read32(file, h + 8), 2 * e.height) << "colour and mask rows";
        EXPECT_EQ(Read16(file, h + 14), 32u);
        EXPECT_EQ(Read32(file, h + 16), 0u) << "uncompressed";
        const uint32_t stride = (e.width + 31) / 32 * 4;
        EXPECT_EQ(e.bytes, 40 + e.width * e.height * 4 + stride * e.height);
        IconImage& p = e.picture;
        p.Width = static_cast<int32_t>(e.width);
        p.Height = static_cast<int32_t>(e.height);
        p.Pixels.resize(e.width * e.height);
        p.Mask.resize(e.width * e.height);
        const size_t colour = h + 40, mask = colour + e.width * e.height * 4;
        for (uint32_t row = 0; row < e.height; ++row) {
            const uint32_t y = e.height - 1 - row;
            for (uint32_t x = 0; x < e.width; ++x) {
                const size_t c = colour + (row * e.width + x) * 4;
                p.Pixels[y * e.width + x] = Read32(file, c); // BGRA little-endian is 0xAARRGGBB
                p.Mask[y * e.width + x] = (file.at(mask + row * stride + x / 8) >> (7 - x % 8)) & 1;
            }
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

IconImage Filled(int32_t size, uint32_t argb) {
    IconImage p;
    p.Width = p.Height = size;
    p.Pixels.assign(static_cast<size_t>(size) * size, argb);
    p.Mask.assign(p.Pixels.size(), 0);
    return p;
}

TEST(IconFile, HoldsEveryPictureInOrderAndReadsBackPixelForPixel) {
    std::vector<IconImage> pictures;
    for (int32_t size : {16, 20, 24, 32, 48})
        pictures.push_back(images::DrawFrames(images::FrameList::DeTre, size)[1]);
    const auto file = framesheet::EncodeIco(pictures);
    const auto entries = ReadIco(file);
    ASSERT_EQ(entries.size(), pictures.size());
    uint32_t expectedOffset = 6 + 16 * static_cast<uint32_t>(pictures.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(entries[i].offset, expectedOffset) << "entries follow each other without gaps";
        expectedOffset += entries[i].bytes;
        EXPECT_EQ(entries[i].picture, pictures[i]);
    }
    EXPECT_EQ(expectedOffset, file.size()) << "nothing after the last entry";
}

TEST(IconFile, MaskBitsLandOnTheRightPixelsOfRowsThatNeedPadding) {
    // 20 and 24 pixels leave unused bits in each mask word; a single transparent corner finds shifts.
    for (int32_t size : {1, 20, 24, 33}) {
        SCOPED_TRACE(size);
        IconImage p = Filled(size, 0xFF102030);
        p.Mask[static_cast<size_t>(size) - 1] = 1; // top right
        p.Pixels[static_cast<size_t>(size) - 1] = 0;
        p.Mask[static_cast<size_t>(size) * (size - 1)] = 1; // bottom left
        p.Pixels[static_cast<size_t>(size) * (size - 1)] = 0;
        const auto entries = ReadIco(framesheet::EncodeIco({p}));
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].picture, p);
    }
}

TEST(IconFile, A256PixelPictureIsListedWithSizeZero) {
    const auto file = framesheet::EncodeIco({Filled(256, 0xFF000000)});
    EXPECT_EQ(file.at(6), 0);
    EXPECT_EQ(file.at(7), 0);
    EXPECT_EQ(ReadIco(file).at(0).picture.Width, 256);
}

TEST(IconFile, RefusesPicturesItCannotStoreWithAClearError) {
    EXPECT_THROW(framesheet::EncodeIco({}), std::invalid_argument);
    IconImage wide = Filled(16, 0xFF000000);
    wide.Height = 8;
    EXPECT_THROW(framesheet::EncodeIco({wide}), std::invalid_argument);
    EXPECT_THROW(framesheet::EncodeIco({Filled(257, 0xFF000000)}), std::invalid_argument);
    EXPECT_THROW(framesheet::EncodeIco({IconImage{}}), std::invalid_argument);
    IconImage shortMask = Filled(16, 0xFF000000);
    shortMask.Mask.pop_back();
    try {
        framesheet::EncodeIco({Filled(16, 0xFF000000), shortMask});
        ADD_FAILURE() << "a short mask was accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("picture 1"), std::string::npos) << e.what();
    }
}

} // namespace
