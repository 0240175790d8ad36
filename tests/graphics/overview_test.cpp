#include <gtest/gtest.h>

#include <memory>

#include "graphics/overview.h"

namespace orvex {
namespace {

TEST(Overview, DrawsEachCellAsTheAverageOfItsBlock) {
    ColourTable colours{};
    colours[0] = 0xFF000000u;
    colours[1] = 0xFFFF0000u;
    colours[2] = 0xFF0000FFu;
    colours[3] = 0xFF00C800u;
    auto blocks = std::make_unique<BlockPictures>();
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        for (std::int32_t x = 0; x < kBlockSize; ++x) {
            // Left half red, right half blue: an 8-pixel miniature keeps the halves apart.
            blocks->row(1, y)[x] = x < 64 ? 1 : 2;
            blocks->row(2, y)[x] = (x + y) % 2 != 0 ? 3 : 0;
        }
    }
    std::vector<std::uint8_t> bytes(2 * 256 + 17, 0);  // the partial last row is not shown
    bytes[3] = 1;                                      // foreground row 0, column 3
    bytes[256 + 128 + 5] = 2;                          // background row 1, column 5
    const Layout layout(bytes);

    const BlockMiniatures miniatures = makeMiniatures(*blocks, colours, 8);
    const Image front = renderOverview(miniatures, layout, Plane::Foreground);
    ASSERT_EQ(front.width(), 128 * 8);
    ASSERT_EQ(front.height(), 2 * 8);
    EXPECT_EQ(front.pixel(3 * 8 + 1, 2), 0xFFFF0000u);
    EXPECT_EQ(front.pixel(3 * 8 + 6, 7), 0xFF0000FFu);
    EXPECT_EQ(front.pixel(0, 0), 0xFF000000u);

    const Image back = renderOverview(miniatures, layout, Plane::Background);
    EXPECT_EQ(back.pixel(5 * 8 + 4, 8 + 4), 0xFF006400u);  // half the checks green
    EXPECT_EQ(back.pixel(3 * 8 + 1, 2), 0xFF000000u);
    EXPECT_TRUE(
        renderOverview(miniatures, Layout(std::vector<std::uint8_t>(255)), Plane::Foreground)
            .isNull());
}

}  // namespace
}  // namespace orvex
