#include "graphics/collisionimage.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvex::testing {
namespace {

constexpr std::size_t kSide = kCollisionBlockSide;

// Shape 1 rises to the right: column x is solid from the bottom up to x + 1.
Shape risingSlope() {
    ShapeMask mask;
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        for (std::int32_t y = kShapeSide - 1 - x; y < kShapeSide; ++y) {
            mask.set(x, y, true);
        }
    }
    return shapeFromMask(mask);
}

// One block of 64 entries, all of chunk 0 (no shape) until set.
struct OneBlock {
    LevelParts parts;

    OneBlock() {
        parts.blocks.bytes.assign(2 * kBlockMappingWords, 0);
        parts.collision[0] = {0, 1};
        parts.collision[1] = {0, 1};
        parts.shapes = CollisionShapes{};
        parts.shapes->shapes[1] = risingSlope();
    }
    void entry(std::int32_t at, std::uint16_t word) { parts.blocks.setWord(at, word); }
    std::vector<std::uint8_t> draw(std::int32_t path, std::int32_t block = 0) const {
        std::vector<std::uint8_t> out(kSide * kSide, 0xAA);
        drawBlockCollision(parts, block, path, out);
        return out;
    }
};

std::uint8_t at(const std::vector<std::uint8_t>& out, std::int32_t x, std::int32_t y) {
    return out[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)];
}

// The chunk at entry (row, column) shows `mask` filled with `value`, nothing elsewhere in it.
void expectChunk(const std::vector<std::uint8_t>& out, std::int32_t row, std::int32_t column,
                 const ShapeMask& mask, std::uint8_t value) {
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        for (std::int32_t x = 0; x < kShapeSide; ++x) {
            EXPECT_EQ(at(out, column * 16 + x, row * 16 + y), mask.solid(x, y) ? value : 0)
                << row << "," << column << " pixel " << x << "," << y;
        }
    }
}

TEST(BlockCollision, EachEntryShowsItsShapeWithItsFlipsAndSolidity) {
    OneBlock b;
    b.entry(0, 0x1001);           // top only on path 1
    b.entry(1, 0x3001 | 0x0400);  // all on path 1, X flip
    b.entry(9, 0x2001 | 0x0800);  // sides only on path 1, Y flip
    b.entry(10, 0xC001);          // all on path 2 only
    const Shape& slope = b.parts.shapes->shapes[1];
    const auto first = b.draw(0);
    expectChunk(first, 0, 0, shapeMask(slope), 1);
    expectChunk(first, 0, 1, shapeMask(slope, true, false), 3);
    expectChunk(first, 1, 1, shapeMask(slope, false, true), 2);
    expectChunk(first, 1, 2, ShapeMask{}, 0);
    // A rising slope's bottom right pixel is solid, its top left not.
    EXPECT_EQ(at(first, 15, 15), 1);
    EXPECT_EQ(at(first, 0, 0), 0);

    const auto second = b.draw(1);
    expectChunk(second, 0, 0, ShapeMask{}, 0);
    expectChunk(second, 1, 2, shapeMask(slope), 3);
}

TEST(BlockCollision, NothingWithoutAShapeToDraw) {
    OneBlock b;
    b.entry(0, 0xF005);  // chunk 5 lies past the index's two chunks
    b.entry(1, 0xF000);  // chunk 0 has shape 0
    EXPECT_EQ(b.draw(0), std::vector<std::uint8_t>(kSide * kSide, 0));
    b.entry(2, 0xF001);
    EXPECT_EQ(b.draw(0, 1), std::vector<std::uint8_t>(kSide * kSide, 0));  // past the mappings
    b.parts.shapes.reset();
    EXPECT_EQ(b.draw(0), std::vector<std::uint8_t>(kSide * kSide, 0));
    b.parts.shapes = CollisionShapes{};
    b.parts.shapes->shapes[1] = risingSlope();
    b.parts.collision[1].clear();  // an image without collision tables
    EXPECT_EQ(b.draw(1), std::vector<std::uint8_t>(kSide * kSide, 0));
    EXPECT_NE(b.draw(0), std::vector<std::uint8_t>(kSide * kSide, 0));
}

TEST(PlaneCollision, DrawsOverThePictureInTheAddedColours) {
    OneBlock b;
    b.entry(0, 0x1001);
    b.parts.layout = Layout(std::vector<std::uint8_t>(kLayoutRowBytes, 0));
    IndexedImage picture(kPlaneColumns * kCollisionBlockSide, kCollisionBlockSide);
    picture.setPixel(0, 0, 7);
    drawPlaneCollision(b.parts, Plane::Foreground, 0, 64, picture);
    EXPECT_EQ(picture.pixel(0, 0), 7);     // empty: the picture's own
    EXPECT_EQ(picture.pixel(15, 15), 64);  // top only: the first added colour
    EXPECT_EQ(picture.pixel(128 + 15, 15), 64);
    EXPECT_EQ(picture.pixel(16 + 15, 15), 0);
}

}  // namespace
}  // namespace orvex::testing
