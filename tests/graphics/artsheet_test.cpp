#include "graphics/artsheet.h"

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "graphics/png.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Tiles whose every byte says which tile it is.
Bytes numberedTiles(std::size_t count) {
    Bytes tiles(count * 32);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        tiles[i] = static_cast<std::uint8_t>(0x11 * ((i / 32) % 15 + 1));
    }
    return tiles;
}

TEST(ArtSheet, TilesGoSixteenARowAndComeBack) {
    const Bytes art = numberedTiles(20);
    const IndexedImage sheet = tileSheet(art);
    ASSERT_EQ(sheet.width(), 128);
    ASSERT_EQ(sheet.height(), 16);
    EXPECT_EQ(sheet.pixel(8, 0), 2);   // tile 1
    EXPECT_EQ(sheet.pixel(0, 8), 2);   // tile 16
    EXPECT_EQ(sheet.pixel(40, 8), 0);  // past the last tile
    const auto tiles = sheetTiles(sheet);
    ASSERT_TRUE(tiles.ok());
    EXPECT_EQ(tiles->size(), 32U * 32U);
    // The blank tiles that fill the last row are left out past the art's end.
    EXPECT_EQ(placeTiles(art, 0, *tiles), art);
}

TEST(ArtSheet, SheetsOfOtherWidthsAreReadInTheirOrder) {
    IndexedImage sheet(16, 16);  // two tiles a row
    sheet.setPixel(8, 0, 5);     // tile 1
    sheet.setPixel(0, 8, 7);     // tile 2
    const auto tiles = sheetTiles(sheet);
    ASSERT_TRUE(tiles.ok());
    EXPECT_EQ((*tiles)[32], 0x50);
    EXPECT_EQ((*tiles)[64], 0x70);
}

TEST(ArtSheet, PlacedTilesReplaceAndGrow) {
    const Bytes art = numberedTiles(4);
    const Bytes two = numberedTiles(2);
    const Bytes placed = placeTiles(art, 3, two);
    ASSERT_EQ(placed.size(), 5U * 32U);
    EXPECT_EQ(placed[3 * 32], 0x11);
    EXPECT_EQ(placed[4 * 32], 0x22);
    EXPECT_TRUE(std::equal(art.begin(), art.begin() + 3 * 32, placed.begin()));
    // A blank tile inside the art is written.
    EXPECT_EQ(placeTiles(art, 0, Bytes(32, 0))[0], 0);
}

TEST(ArtSheet, BadSheetsNameThePixelOrTheSize) {
    IndexedImage sheet(24, 16);
    sheet.setPixel(17, 3, 16);
    sheet.setPixel(3, 9, 20);
    EXPECT_EQ(sheetTiles(sheet).error().message,
              "pixel (17, 3) has index 16; tiles use indices 0 to 15");
    EXPECT_EQ(sheetTiles(IndexedImage(12, 8)).error().message,
              "the picture is 12 x 8 pixels; a sheet of tiles has sides that are multiples of 8");
}

// A 2-bit indexed PNG made by libpng's own writer reads back as 8-bit indices.
TEST(PngDecode, ReadsLowBitDepths) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 8;
    image.height = 2;
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 4;
    const Bytes colormap = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    Bytes pixels(16);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint8_t>(i % 4);
    }
    png_alloc_size_t size = 0;
    ASSERT_TRUE(
        png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, colormap.data()));
    Bytes file(size);
    ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0,
                                          colormap.data()));
    EXPECT_EQ(file[24], 2);  // the IHDR's bit depth
    const auto decoded = decodeIndexedPng(file);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(decoded->pixels(), pixels);
}

TEST(PngDecode, RefusesWhatIsNotAnIndexedPng) {
    EXPECT_EQ(decodeIndexedPng(Bytes{1, 2, 3}).error().message, "the file is not a PNG picture");
    auto png = encodeIndexedPng(IndexedImage(8, 8), ColourTable{});
    ASSERT_TRUE(png.ok());
    png->resize(png->size() - 20);
    EXPECT_EQ(decodeIndexedPng(*png).error().code, ErrorCode::CorruptStream);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 8;
    image.height = 8;
    image.format = PNG_FORMAT_RGB;
    const Bytes pixels(8 * 8 * 3, 0x40);
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    Bytes file(size);
    ASSERT_TRUE(
        png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr));
    ASSERT_TRUE(testing::failsWith(decodeIndexedPng(file), std::nullopt,
                                   "holds colours, not indices into a palette"));
}

}  // namespace
}  // namespace orvex
