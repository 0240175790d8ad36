#include "graphics/levelimage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/recordingprogress.h"

namespace orvex {
namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;

// Block b's pixel (x, y): a colour that names the block and the place inside it.
std::uint32_t blockPixel(std::int32_t b, std::int32_t x, std::int32_t y) {
    return 0xFF000000u | (static_cast<std::uint32_t>(b) << 16) |
           (static_cast<std::uint32_t>(x) << 8) | static_cast<std::uint32_t>(y);
}

std::unique_ptr<BlockPictures> numberedBlocks() {
    auto blocks = std::make_unique<BlockPictures>();
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        Image picture(kBlockSize, kBlockSize);
        for (std::int32_t y = 0; y < kBlockSize; ++y) {
            for (std::int32_t x = 0; x < kBlockSize; ++x) {
                picture.setPixel(x, y, blockPixel(b, x, y));
            }
        }
        (*blocks)[b] = std::move(picture);
    }
    return blocks;
}

// Row r, column c of the layout holds block (r * 7 + c) & 0xFF.
std::vector<std::uint8_t> countingLayout(std::size_t size) {
    std::vector<std::uint8_t> layout(size);
    for (std::size_t i = 0; i < size; ++i) {
        layout[i] = static_cast<std::uint8_t>(((i / 256) * 7 + i % 256) & 0xFF);
    }
    return layout;
}

TEST(LevelImage, ForegroundShowsColumnsZeroTo127) {
    const auto blocks = numberedBlocks();
    const auto layout = countingLayout(4096);
    const Image image = renderPlane(*blocks, layout, Plane::Foreground);
    ASSERT_EQ(image.width(), 16384);
    ASSERT_EQ(image.height(), 2048);
    for (int row : {0, 5, 15}) {
        for (int column : {0, 1, 64, 127}) {
            const int block = layout[256 * row + column];
            EXPECT_EQ(image.pixel(128 * column, 128 * row), blockPixel(block, 0, 0));
            EXPECT_EQ(image.pixel(128 * column + 77, 128 * row + 3), blockPixel(block, 77, 3));
            EXPECT_EQ(image.pixel(128 * column + 127, 128 * row + 127),
                      blockPixel(block, 127, 127));
        }
    }
}

TEST(LevelImage, BackgroundShowsColumns128To255) {
    const auto blocks = numberedBlocks();
    const auto layout = countingLayout(4096);
    const Image image = renderPlane(*blocks, layout, Plane::Background);
    ASSERT_EQ(image.width(), 16384);
    ASSERT_EQ(image.height(), 2048);
    for (int row : {0, 9, 15}) {
        for (int column : {0, 100, 127}) {
            const int block = layout[256 * row + 128 + column];
            EXPECT_EQ(image.pixel(128 * column + 5, 128 * row + 6), blockPixel(block, 5, 6));
        }
    }
}

TEST(LevelImage, PartialLastRowIsLeftOut) {
    const auto blocks = numberedBlocks();
    EXPECT_EQ(renderPlane(*blocks, countingLayout(256 * 3 + 100), Plane::Foreground).height(),
              3 * 128);
    EXPECT_EQ(layoutRows(511), 1);
    EXPECT_TRUE(renderPlane(*blocks, countingLayout(255), Plane::Background).isNull());
    EXPECT_TRUE(renderPlane(*blocks, {}, Plane::Foreground).isNull());
}

TEST(LevelImage, NullBlockPicturesAreBlack) {
    auto blocks = numberedBlocks();
    (*blocks)[7] = Image();
    std::vector<std::uint8_t> layout(256, 7);
    layout[1] = 8;
    const Image image = renderPlane(*blocks, layout, Plane::Foreground);
    EXPECT_EQ(image.pixel(10, 10), kBlack);
    EXPECT_EQ(image.pixel(128 + 10, 10), blockPixel(8, 10, 10));
}

TEST(LevelImage, PlaneReportsProgressPerRow) {
    const auto blocks = numberedBlocks();
    test::RecordingProgress progress;
    const auto image = renderPlane(*blocks, countingLayout(4 * 256), Plane::Foreground, &progress);
    ASSERT_EQ(progress.captions.size(), 1u);
    EXPECT_EQ(progress.captions[0], kDrawingCaption);
    EXPECT_EQ(progress.widths, (std::vector<double>{76, 153, 229, 305}));
}

TEST(LevelImage, BlockSheetHasSixteenBlocksToARow) {
    const auto blocks = numberedBlocks();
    const Image sheet = renderBlockSheet(*blocks);
    ASSERT_EQ(sheet.width(), 2048);
    ASSERT_EQ(sheet.height(), 2048);
    for (int b : {0, 1, 15, 16, 17, 200, 255}) {
        const int left = 128 * (b % 16);
        const int top = 128 * (b / 16);
        EXPECT_EQ(sheet.pixel(left, top), blockPixel(b, 0, 0)) << b;
        EXPECT_EQ(sheet.pixel(left + 90, top + 127), blockPixel(b, 90, 127)) << b;
    }
}

TEST(LevelImage, BlockSheetOfNullPicturesIsBlack) {
    const auto blocks = std::make_unique<BlockPictures>();
    const Image sheet = renderBlockSheet(*blocks);
    ASSERT_EQ(sheet.width(), 2048);
    EXPECT_EQ(sheet.pixel(0, 0), kBlack);
    EXPECT_EQ(sheet.pixel(2047, 2047), kBlack);
}

}  // namespace
}  // namespace orvex
