#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "graphics/png.h"
#include "support/testrom.h"

namespace orvex {
namespace {

ColourTable distinctColours() {
    ColourTable colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x040301u + 0x102030u);
    }
    return colours;
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

struct Chunk {
    std::string type;
    std::size_t data;  // offset of the chunk's data
    std::uint32_t length;
};

std::vector<Chunk> chunksOf(const std::vector<std::uint8_t>& png) {
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = bigEndian(png, at);
        chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8), at + 8, length});
        at += 12 + length;
    }
    return chunks;
}

TEST(Png, EveryPixelReadsBackAsTheColourOfItsIndex) {
    IndexedImage image(13, 7);  // odd width: rows are not padded
    for (std::int32_t i = 0; i < 13 * 7; ++i) {
        image.setPixel(i % 13, i / 13, static_cast<std::uint8_t>((i * 5) % 64));
    }
    const ColourTable colours = distinctColours();
    auto png = encodeIndexedPng(image, colours);
    ASSERT_TRUE(png.ok()) << png.error().message;

    png_image decoded{};
    decoded.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&decoded, png->data(), png->size()));
    EXPECT_EQ(decoded.colormap_entries, 64u);
    decoded.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(decoded));
    ASSERT_TRUE(png_image_finish_read(&decoded, nullptr, rgba.data(), 0, nullptr));
    for (std::int32_t y = 0; y < 7; ++y) {
        for (std::int32_t x = 0; x < 13; ++x) {
            const std::uint32_t argb = colours[image.pixel(x, y)];
            const std::size_t at = static_cast<std::size_t>((y * 13 + x) * 4);
            const std::uint32_t read = 0xFF000000u | std::uint32_t{rgba[at]} << 16 |
                                       std::uint32_t{rgba[at + 1]} << 8 | rgba[at + 2];
            EXPECT_EQ(read, argb) << x << "," << y;
            EXPECT_EQ(rgba[at + 3], 0xFF);
        }
    }
}

TEST(Png, IsEightBitIndexedWithAPaletteUpToTheHighestIndex) {
    IndexedImage image(300, 2);
    image.setPixel(299, 1, 9);
    auto png = encodeIndexedPng(image, distinctColours());
    ASSERT_TRUE(png.ok()) << png.error().message;

    const std::vector<Chunk> chunks = chunksOf(*png);
    ASSERT_GE(chunks.size(), 5u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ((*png)[chunks[0].data + 8], 8);  // bit depth
    EXPECT_EQ((*png)[chunks[0].data + 9], 3);  // colour type: palette
    EXPECT_EQ(chunks[1].type, "PLTE");
    EXPECT_EQ(chunks[1].length, 10u * 3u);
    EXPECT_EQ(chunks[2].type, "pHYs");
    for (std::size_t i = 3; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].type, "IDAT");
    }
    EXPECT_EQ(chunks.back().type, "IEND");
}

TEST(Png, RefusesPicturesItCannotStore) {
    auto empty = encodeIndexedPng(IndexedImage(), distinctColours());
    ASSERT_TRUE(testing::failsWith(empty, ErrorCode::FileWrite));
    EXPECT_EQ(empty.error().message, "Cannot write the PNG file: the picture is empty");

    IndexedImage beyond(4, 4);
    beyond.setPixel(1, 1, 64);
    EXPECT_FALSE(encodeIndexedPng(beyond, distinctColours()).ok());
}

}  // namespace
}  // namespace orvex
