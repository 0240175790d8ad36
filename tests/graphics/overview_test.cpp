#include <gtest/gtest.h>

#include "graphics/overview.h"

namespace orvex {
namespace {

TEST(Overview, DrawsEachCellAsTheAverageOfItsBlock) {
    BlockPictures blocks;
    blocks[1] = Image(kBlockSize, kBlockSize);
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        for (std::int32_t x = 0; x < kBlockSize; ++x) {
            // Left half red, right half blue: an 8-pixel miniature keeps the halves apart.
            blocks[1].setPixel(x, y, x < 64 ? 0xFFFF0000u : 0xFF0000FFu);
        }
    }
    blocks[2] = Image(kBlockSize, kBlockSize);
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        for (std::int32_t x = 0; x < kBlockSize; ++x) {
            blocks[2].setPixel(x, y, (x + y) % 2 ? 0xFF00C800u : 0xFF000000u);
        }
    }
    std::vector<std::uint8_t> layout(2 * 256 + 17, 0);  // the partial last row is not shown
    layout[3] = 1;                                      // foreground row 0, column 3
    layout[256 + 128 + 5] = 2;                          // background row 1, column 5

    const BlockMiniatures miniatures = makeMiniatures(blocks, 8);
    const Image front = renderOverview(miniatures, layout, Plane::Foreground);
    ASSERT_EQ(front.width(), 128 * 8);
    ASSERT_EQ(front.height(), 2 * 8);
    EXPECT_EQ(front.pixel(3 * 8 + 1, 2), 0xFFFF0000u);
    EXPECT_EQ(front.pixel(3 * 8 + 6, 7), 0xFF0000FFu);
    EXPECT_EQ(front.pixel(0, 0), 0xFF000000u);  // a null picture is black

    const Image back = renderOverview(miniatures, layout, Plane::Background);
    EXPECT_EQ(back.pixel(5 * 8 + 4, 8 + 4), 0xFF006400u);  // half the checks green
    EXPECT_EQ(back.pixel(3 * 8 + 1, 2), 0xFF000000u);
    EXPECT_TRUE(
        renderOverview(miniatures, std::vector<std::uint8_t>(255), Plane::Foreground).isNull());
}

}  // namespace
}  // namespace orvex
