#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/byteorder.h"

// The ground the player meets. Every zone shares one set of 256 collision shapes: each has an
// angle byte and two arrays of 16 signed heights, one per column (vertical) and one per row
// (horizontal). A column's height is 0 when it is empty, +n when it is solid n pixels up from
// the bottom, -n when it is solid n pixels down from the top, 16 when it is full; a row's
// width is the same, +n solid n pixels in from the right, -n in from the left. Each zone has
// one collision index per path: a byte per 16x16 chunk naming its shape (0 = none).

namespace orvex {

inline constexpr std::int32_t kShapeCount = 256;
inline constexpr std::int32_t kShapeSide = 16;
inline constexpr std::int32_t kCollisionIndexSize = 0x300;  // bytes decoded: one per chunk
inline constexpr std::int32_t kCollisionPaths = 2;
// The three shape tables lie back to back: the angles, then the vertical heights, then the
// horizontal ones.
inline constexpr std::int32_t kShapeAnglesSize = kShapeCount;
inline constexpr std::int32_t kShapeHeightsSize = kShapeCount * kShapeSide;
inline constexpr std::int32_t kShapeTablesSize = kShapeAnglesSize + 2 * kShapeHeightsSize;

using ShapeHeights = std::array<std::int8_t, kShapeSide>;

// One shape as the tables hold it.
struct Shape {
    std::uint8_t angle = 0;
    ShapeHeights vertical{};    // a height per column, left to right
    ShapeHeights horizontal{};  // a width per row, top to bottom
    friend bool operator==(const Shape&, const Shape&) = default;
};

// All 256 shapes.
struct CollisionShapes {
    std::array<Shape, kShapeCount> shapes{};
    friend bool operator==(const CollisionShapes&, const CollisionShapes&) = default;
};

// A 16x16 solid mask: bit x (0 = left) of rows[y] (0 = top) is set where the shape is solid.
struct ShapeMask {
    std::array<std::uint16_t, kShapeSide> rows{};

    [[nodiscard]] bool solid(std::int32_t x, std::int32_t y) const {
        return ((static_cast<unsigned>(rows[static_cast<std::size_t>(y)]) >> x) & 1u) != 0;
    }
    void set(std::int32_t x, std::int32_t y, bool solid);
    friend bool operator==(const ShapeMask&, const ShapeMask&) = default;
};

// Reads the three tables from `tablesOffset` (the angles; the heights follow); nothing when
// they reach past the image.
[[nodiscard]] std::optional<CollisionShapes> readShapes(ByteSpan image, std::int32_t tablesOffset);
// The tables' kShapeTablesSize bytes as the image holds them.
[[nodiscard]] std::array<std::uint8_t, kShapeTablesSize> shapeBytes(const CollisionShapes& shapes);
// Whether `kShapeTablesSize` bytes at `tablesOffset` look like shape tables: every height and
// width in -16..16 and shape 0 empty.
[[nodiscard]] bool plausibleShapeTables(ByteSpan image, std::int32_t tablesOffset);

// The shape's solid pixels as the floor and ceiling sensors see them (from its vertical
// heights), with a chunk entry's flips applied: X flip mirrors the columns, Y flip the rows.
[[nodiscard]] ShapeMask shapeMask(const Shape& shape, bool xFlip = false, bool yFlip = false);
// The angle the game takes from a shape drawn with flips: X flip negates it, Y flip turns it
// into $80 minus it (bytes, wrapping).
[[nodiscard]] std::uint8_t flippedAngle(std::uint8_t angle, bool xFlip, bool yFlip);

// Heights from a mask. A column (row) whose solid pixels touch the bottom (right) edge counts
// up to its topmost (leftmost) solid pixel: +n; one touching only the top (left) edge counts
// down to its last solid pixel: -n; a full one is 16, an empty one 0; one touching neither
// counts from the nearer edge to its farthest solid pixel.
[[nodiscard]] ShapeHeights verticalHeights(const ShapeMask& mask);
[[nodiscard]] ShapeHeights horizontalHeights(const ShapeMask& mask);
// The angle of the surface a mask shows the player: the top surface of the solid columns that
// stand on the bottom edge, else the bottom surface of those that hang from the top edge
// (as a Y flip of a floor); 256 to the turn, 0 a flat floor, $E0 a 45-degree slope rising to
// the right, $20 one falling to the right, $80 a flat ceiling. A full square is $FF (the
// game's flag for "take the nearest right angle"), an empty one 0.
[[nodiscard]] std::uint8_t surfaceAngle(const ShapeMask& mask);
// A shape made from a mask: both height arrays computed, the angle `angle` when given, else
// surfaceAngle.
[[nodiscard]] Shape shapeFromMask(const ShapeMask& mask,
                                  std::optional<std::uint8_t> angle = std::nullopt);

}  // namespace orvex
