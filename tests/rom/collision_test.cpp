#include "rom/collision.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <tuple>
#include <vector>

#include "document/documentloader.h"
#include "rom/collisiontables.h"
#include "rom/romidentity.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

// A mask drawn as 16 strings of 16 characters, '#' solid, top row first.
ShapeMask drawn(const std::vector<std::string>& rows) {
    ShapeMask mask;
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        for (std::int32_t x = 0; x < kShapeSide; ++x) {
            mask.set(x, y,
                     rows.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x)) == '#');
        }
    }
    return mask;
}

// A mask whose column x is solid from the bottom up to height(x).
template <typename Height>
ShapeMask floorOf(Height height) {
    ShapeMask mask;
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        for (std::int32_t y = kShapeSide - height(x); y < kShapeSide; ++y) {
            mask.set(x, y, true);
        }
    }
    return mask;
}

ShapeHeights all(std::int8_t value) {
    ShapeHeights heights{};
    heights.fill(value);
    return heights;
}

ShapeHeights counting(std::int8_t first, std::int8_t step) {
    ShapeHeights heights{};
    for (std::size_t i = 0; i < heights.size(); ++i) {
        heights[i] = static_cast<std::int8_t>(first + step * static_cast<std::int32_t>(i));
    }
    return heights;
}

// Rows `from` to `to` - 1 solid across, the others empty.
ShapeHeights fullRows(std::size_t from, std::size_t to) {
    ShapeHeights rows = all(0);
    std::fill(rows.begin() + static_cast<std::ptrdiff_t>(from),
              rows.begin() + static_cast<std::ptrdiff_t>(to), std::int8_t{16});
    return rows;
}

// Floors, slopes, a ceiling and the full and empty squares: the game's angle and the heights
// both ways (a falling slope's rows count from the left, its bottom row full).
TEST(ShapeFromMask, AnglesAndHeightsOfFloorsSlopesAndCeilings) {
    ShapeMask ceiling;
    std::fill_n(ceiling.rows.begin(), 6, std::uint16_t{0xFFFF});
    ShapeMask full;
    full.rows.fill(0xFFFF);
    ShapeHeights fallingRows = counting(-1, -1);
    fallingRows[15] = 16;
    const std::vector<std::tuple<ShapeMask, std::uint8_t, ShapeHeights, ShapeHeights>> cases = {
        {floorOf([](std::int32_t) { return 4; }), 0x00, all(4), fullRows(12, 16)},
        {floorOf([](std::int32_t x) { return x + 1; }), 0xE0, counting(1, 1), counting(1, 1)},
        {floorOf([](std::int32_t x) { return 16 - x; }), 0x20, counting(16, -1), fallingRows},
        {ceiling, 0x80, all(-6), fullRows(0, 6)},
        {full, 0xFF, all(16), all(16)},
        {ShapeMask{}, 0x00, all(0), all(0)},
    };
    for (const auto& [mask, angle, vertical, horizontal] : cases) {
        const Shape shape = shapeFromMask(mask);
        EXPECT_EQ(shape.angle, angle);
        EXPECT_EQ(shape.vertical, vertical) << int{angle};
        EXPECT_EQ(shape.horizontal, horizontal) << int{angle};
    }
    // Rises 7 over 15: atan(7/15) is 25.0 degrees, 17.8 units of 256 to the turn.
    EXPECT_EQ(shapeFromMask(floorOf([](std::int32_t x) { return 4 + x / 2; })).angle, 0x100 - 18);
    EXPECT_EQ(shapeFromMask(floorOf([](std::int32_t) { return 4; }), 0x40).angle, 0x40);
}

// A ceiling whose bottom edge falls to the right is a rising floor ($E0) upside down: the game's
// Y flip gives $80 - $E0 = $A0.
TEST(ShapeFromMask, SlopedCeilingIsTheFloorFlippedUpsideDown) {
    ShapeMask mask;
    for (std::int32_t x = 0; x < kShapeSide - 1; ++x) {
        for (std::int32_t y = 0; y <= x; ++y) {
            mask.set(x, y, true);
        }
    }
    const Shape shape = shapeFromMask(mask);
    EXPECT_EQ(shape.angle, 0xA0);
    EXPECT_EQ(shape.vertical[0], -1);
    EXPECT_EQ(shape.vertical[14], -15);
    EXPECT_EQ(shape.vertical[15], 0);
}

TEST(ShapeFromMask, FloatingLinesCountFromTheNearerEdge) {
    ShapeMask mask = drawn({
        "................",
        "................",
        "#...............",
        "#...............",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "...........#....",
        ".#.........#....",
        ".#..............",
        "................",
    });
    const ShapeHeights columns = verticalHeights(mask);
    EXPECT_EQ(columns[0], -4);  // rows 2..3: the top is nearer, down to row 3
    EXPECT_EQ(columns[1], 3);   // rows 13..14: the bottom is nearer, up to row 13
    EXPECT_EQ(columns[11], 4);  // rows 12..13
    EXPECT_EQ(columns[5], 0);
    const ShapeHeights rows = horizontalHeights(mask);
    EXPECT_EQ(rows[2], -1);    // touches the left edge only
    EXPECT_EQ(rows[12], 5);    // column 11: the right edge is nearer
    EXPECT_EQ(rows[13], -12);  // columns 1 and 11: the left edge is nearer, in to column 11
}

TEST(ShapeMask, HeightsComeBackFromTheMaskTheyMake) {
    Shape shape;
    shape.vertical = {0, 1, 5, 16, -1, -7, -15, 8, 0, 3, 3, 3, -2, 12, 15, 16};
    const ShapeMask mask = shapeMask(shape);
    EXPECT_EQ(verticalHeights(mask), shape.vertical);
    EXPECT_TRUE(mask.solid(1, 15));
    EXPECT_FALSE(mask.solid(1, 14));
    EXPECT_TRUE(mask.solid(4, 0));
    EXPECT_FALSE(mask.solid(4, 1));
    EXPECT_FALSE(mask.solid(0, 15));
}

TEST(ShapeFlips, MaskFlipsMirrorColumnsAndRows) {
    // No column reaches the top, so the Y flips hang from it as ceilings.
    const Shape slope = shapeFromMask(floorOf([](std::int32_t x) { return 1 + x / 2; }));
    ASSERT_EQ(slope.angle, 0xEE);
    const ShapeMask plain = shapeMask(slope);
    const ShapeMask xFlipped = shapeMask(slope, true, false);
    const ShapeMask yFlipped = shapeMask(slope, false, true);
    const ShapeMask both = shapeMask(slope, true, true);
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        for (std::int32_t x = 0; x < kShapeSide; ++x) {
            EXPECT_EQ(xFlipped.solid(x, y), plain.solid(15 - x, y)) << x << "," << y;
            EXPECT_EQ(yFlipped.solid(x, y), plain.solid(x, 15 - y)) << x << "," << y;
            EXPECT_EQ(both.solid(x, y), plain.solid(15 - x, 15 - y)) << x << "," << y;
        }
    }
    // The flipped masks' own surfaces carry the game's flipped angles.
    EXPECT_EQ(surfaceAngle(xFlipped), flippedAngle(slope.angle, true, false));
    EXPECT_EQ(surfaceAngle(yFlipped), flippedAngle(slope.angle, false, true));
    EXPECT_EQ(surfaceAngle(both), flippedAngle(slope.angle, true, true));
}

TEST(ShapeFlips, AngleFlipsFollowTheGamesRule) {
    EXPECT_EQ(flippedAngle(0xE0, false, false), 0xE0);
    EXPECT_EQ(flippedAngle(0xE0, true, false), 0x20);  // -angle
    EXPECT_EQ(flippedAngle(0xE0, false, true), 0xA0);  // $80 - angle
    EXPECT_EQ(flippedAngle(0xE0, true, true), 0x60);
    EXPECT_EQ(flippedAngle(0x00, false, true), 0x80);  // a floor becomes a ceiling
    for (std::int32_t angle = 0; angle < 256; ++angle) {
        const auto a = static_cast<std::uint8_t>(angle);
        EXPECT_EQ(flippedAngle(flippedAngle(a, true, true), true, true), a);
    }
}

CollisionShapes someShapes() {
    CollisionShapes shapes;
    for (std::int32_t id = 1; id < kShapeCount; ++id) {
        Shape& shape = shapes.shapes[static_cast<std::size_t>(id)];
        shape.angle = static_cast<std::uint8_t>(id * 7);
        for (std::int32_t i = 0; i < kShapeSide; ++i) {
            shape.vertical[static_cast<std::size_t>(i)] =
                static_cast<std::int8_t>((id + i) % 33 - 16);
            shape.horizontal[static_cast<std::size_t>(i)] =
                static_cast<std::int8_t>((id * 3 + i) % 33 - 16);
        }
    }
    return shapes;
}

TEST(ShapeTables, BytesReadBackAtAnOffset) {
    const CollisionShapes shapes = someShapes();
    const auto bytes = shapeBytes(shapes);
    std::vector<std::uint8_t> image(0x40 + bytes.size() + 0x10, 0xAA);
    std::copy(bytes.begin(), bytes.end(), image.begin() + 0x40);
    const auto read = readShapes(image, 0x40);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, shapes);
    EXPECT_TRUE(plausibleShapeTables(image, 0x40));
}

TEST(ShapeTables, LayoutIsAnglesThenVerticalThenHorizontal) {
    CollisionShapes shapes;
    Shape& shape = shapes.shapes[2];
    shape.angle = 0xE0;
    shape.vertical[3] = -5;
    shape.horizontal[15] = 9;
    const auto bytes = shapeBytes(shapes);
    EXPECT_EQ(bytes[2], 0xE0);
    EXPECT_EQ(bytes[0x100 + 2 * 16 + 3], 0xFB);
    EXPECT_EQ(bytes[0x1100 + 2 * 16 + 15], 9);
}

TEST(ShapeTables, ImplausibleOrOutsideTheImage) {
    std::vector<std::uint8_t> image(kShapeTablesSize, 0);
    EXPECT_TRUE(plausibleShapeTables(image, 0));
    EXPECT_FALSE(plausibleShapeTables(image, 1));
    EXPECT_FALSE(plausibleShapeTables(image, -1));
    EXPECT_FALSE(readShapes(image, 2));

    image[0x100 + 5 * 16] = 17;  // a height past a full column
    EXPECT_FALSE(plausibleShapeTables(image, 0));
    image[0x100 + 5 * 16] = 0xF0;  // -16
    EXPECT_TRUE(plausibleShapeTables(image, 0));
    image[0x1100 + 3] = 1;  // shape 0 must be empty
    EXPECT_FALSE(plausibleShapeTables(image, 0));
}

// A build's shape tables are found by what they hold: before its first index, else at the
// factory place; where neither holds them, the level loads without shapes.
TEST(ShapeTablesInABuild, FoundBeforeTheFirstIndexThenAtTheFactoryPlace) {
    const DemoRom& demo = demoRom(demoBuildProfile());
    const std::int32_t own = *demoBuildProfile().collisionShapes;
    auto identity = identifyRom(demo.image);
    ASSERT_TRUE(identity.ok());
    EXPECT_EQ(identity->profile.collisionShapes, own);
    EXPECT_EQ(describeTableSource(*identity, TableId::CollisionShapes),
              "found by their contents (no code names them)");

    // The copy at the factory place overlaps the build's own tables up to $44E50; past it a
    // width of 17, which no row has, spoils them.
    std::vector<std::uint8_t> moved = demo.image;
    std::copy_n(demo.image.begin() + own, kShapeTablesSize, moved.begin() + kFactoryShapeTables);
    ASSERT_GT(own + kShapeTablesSize - 0x100, kFactoryShapeTables + kShapeTablesSize);
    moved[static_cast<std::size_t>(own + kShapeTablesSize - 0x100)] = 17;
    EXPECT_EQ(identifyRom(moved)->profile.collisionShapes, kFactoryShapeTables);

    moved[static_cast<std::size_t>(kFactoryShapeTables + kShapeAnglesSize + 3)] = 0xEF;  // -17
    identity = identifyRom(moved);
    ASSERT_TRUE(identity.ok());
    EXPECT_FALSE(identity->profile.collisionShapes);
    EXPECT_NE(describeTableSource(*identity, TableId::CollisionShapes).find("not found"),
              std::string::npos);
    auto loaded = loadDocument(moved, identity->profile, 0);
    ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
    EXPECT_FALSE(loaded->document->parts().shapes);
    EXPECT_EQ(loaded->document->parts().collision, demo.zoneOf(0).collision);
}

}  // namespace
}  // namespace orvex::testing
