#include "rom/collision.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace orvex {
namespace {

constexpr std::uint16_t kFullRow = 0xFFFF;
constexpr std::int32_t kLast = kShapeSide - 1;

std::size_t at(std::int32_t index) {
    return static_cast<std::size_t>(index);
}

// The solid pixels of one line of a mask (a column or a row), index 0 first.
using Line = std::array<bool, kShapeSide>;

Line column(const ShapeMask& mask, std::int32_t x) {
    Line line{};
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        line[at(y)] = mask.solid(x, y);
    }
    return line;
}

Line row(const ShapeMask& mask, std::int32_t y) {
    Line line{};
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        line[at(x)] = mask.solid(x, y);
    }
    return line;
}

// The height of a line measured from its far end (the bottom of a column, the right of a row):
// +n when it counts from the far end, -n from the near end.
std::int8_t lineHeight(const Line& line) {
    std::int32_t first = -1;
    std::int32_t last = -1;
    for (std::int32_t i = 0; i < kShapeSide; ++i) {
        if (line[at(i)]) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    if (first < 0) {
        return 0;
    }
    const bool touchesFar = last == kLast;
    const bool touchesNear = first == 0;
    // A line touching neither end counts from the nearer one; a tie counts as a floor.
    const bool fromFar = touchesFar || (!touchesNear && kLast - last <= first);
    return static_cast<std::int8_t>(fromFar ? kShapeSide - first : -(last + 1));
}

// The row of the top solid pixel of column x when the column stands on the bottom edge (as the
// column's height counts it), or nothing when its bottom pixel is empty.
std::optional<std::int32_t> floorTop(const ShapeMask& mask, std::int32_t x) {
    if (!mask.solid(x, kLast)) {
        return std::nullopt;
    }
    std::int32_t top = 0;
    while (!mask.solid(x, top)) {
        ++top;
    }
    return top;
}

ShapeMask mirrorRows(const ShapeMask& mask) {
    ShapeMask mirrored;
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        mirrored.rows[at(y)] = mask.rows[at(kLast - y)];
    }
    return mirrored;
}

// The angle of the top surface of the columns standing on the bottom edge, or nothing when no
// column does.
std::optional<std::uint8_t> floorAngle(const ShapeMask& mask) {
    std::optional<std::int32_t> left;
    std::optional<std::int32_t> right;
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        if (floorTop(mask, x)) {
            left = left ? left : x;
            right = x;
        }
    }
    if (!left) {
        return std::nullopt;
    }
    // Rows count down, so a surface rising to the right has its right top above its left one.
    const double rise = *floorTop(mask, *left) - *floorTop(mask, *right);
    const double run = *right - *left;
    const auto turns = std::lround(std::atan2(rise, run) * 128.0 / std::numbers::pi);
    return static_cast<std::uint8_t>(-turns & 0xFF);
}

bool touchesTop(const ShapeMask& mask) {
    return mask.rows[0] != 0;
}

}  // namespace

void ShapeMask::set(std::int32_t x, std::int32_t y, bool solid) {
    const auto bit = static_cast<std::uint16_t>(1u << x);
    std::uint16_t& line = rows[at(y)];
    line = static_cast<std::uint16_t>(solid ? (line | bit) : (line & ~bit));
}

std::optional<CollisionShapes> readShapes(ByteSpan image, std::int32_t tablesOffset) {
    if (!fitsIn(image.size(), tablesOffset, kShapeTablesSize)) {
        return std::nullopt;
    }
    const ByteSpan tables = image.subspan(at(tablesOffset), at(kShapeTablesSize));
    CollisionShapes read;
    for (std::int32_t id = 0; id < kShapeCount; ++id) {
        Shape& shape = read.shapes[at(id)];
        shape.angle = tables[at(id)];
        const std::int32_t vertical = kShapeAnglesSize + id * kShapeSide;
        const std::int32_t horizontal = vertical + kShapeHeightsSize;
        for (std::int32_t i = 0; i < kShapeSide; ++i) {
            shape.vertical[at(i)] = static_cast<std::int8_t>(tables[at(vertical + i)]);
            shape.horizontal[at(i)] = static_cast<std::int8_t>(tables[at(horizontal + i)]);
        }
    }
    return read;
}

std::array<std::uint8_t, kShapeTablesSize> shapeBytes(const CollisionShapes& shapes) {
    std::array<std::uint8_t, kShapeTablesSize> bytes{};
    for (std::int32_t id = 0; id < kShapeCount; ++id) {
        const Shape& shape = shapes.shapes[at(id)];
        bytes[at(id)] = shape.angle;
        const std::int32_t vertical = kShapeAnglesSize + id * kShapeSide;
        const std::int32_t horizontal = vertical + kShapeHeightsSize;
        for (std::int32_t i = 0; i < kShapeSide; ++i) {
            bytes[at(vertical + i)] = static_cast<std::uint8_t>(shape.vertical[at(i)]);
            bytes[at(horizontal + i)] = static_cast<std::uint8_t>(shape.horizontal[at(i)]);
        }
    }
    return bytes;
}

bool plausibleShapeTables(ByteSpan image, std::int32_t tablesOffset) {
    const std::optional<CollisionShapes> shapes = readShapes(image, tablesOffset);
    if (!shapes) {
        return false;
    }
    const auto inRange = [](const ShapeHeights& heights) {
        for (const std::int8_t height : heights) {
            if (height < -kShapeSide || height > kShapeSide) {
                return false;
            }
        }
        return true;
    };
    for (const Shape& shape : shapes->shapes) {
        if (!inRange(shape.vertical) || !inRange(shape.horizontal)) {
            return false;
        }
    }
    const Shape& none = shapes->shapes[0];
    return none.vertical == ShapeHeights{} && none.horizontal == ShapeHeights{};
}

ShapeMask shapeMask(const Shape& shape, bool xFlip, bool yFlip) {
    ShapeMask mask;
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        const std::int32_t height = shape.vertical[at(x)];
        // +n fills the bottom n rows, -n the top n; anything past 16 fills the column.
        const std::int32_t size = std::min(std::abs(height), kShapeSide);
        const std::int32_t first = height > 0 ? kShapeSide - size : 0;
        for (std::int32_t y = first; y < first + size; ++y) {
            mask.set(xFlip ? kLast - x : x, yFlip ? kLast - y : y, true);
        }
    }
    return mask;
}

std::uint8_t flippedAngle(std::uint8_t angle, bool xFlip, bool yFlip) {
    std::uint32_t flipped = angle;
    if (xFlip) {
        flipped = 0x100u - flipped;
    }
    if (yFlip) {
        flipped = 0x80u - flipped;
    }
    return static_cast<std::uint8_t>(flipped & 0xFFu);
}

ShapeHeights verticalHeights(const ShapeMask& mask) {
    ShapeHeights heights{};
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        heights[at(x)] = lineHeight(column(mask, x));
    }
    return heights;
}

ShapeHeights horizontalHeights(const ShapeMask& mask) {
    ShapeHeights widths{};
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        widths[at(y)] = lineHeight(row(mask, y));
    }
    return widths;
}

std::uint8_t surfaceAngle(const ShapeMask& mask) {
    bool full = true;
    for (const std::uint16_t line : mask.rows) {
        full = full && line == kFullRow;
    }
    if (full) {
        return 0xFF;
    }
    if (const std::optional<std::uint8_t> floor = floorAngle(mask)) {
        return *floor;
    }
    if (touchesTop(mask)) {
        // A ceiling is a floor seen upside down.
        return flippedAngle(floorAngle(mirrorRows(mask)).value_or(0), false, true);
    }
    return 0;
}

Shape shapeFromMask(const ShapeMask& mask, std::optional<std::uint8_t> angle) {
    return Shape{angle.value_or(surfaceAngle(mask)), verticalHeights(mask),
                 horizontalHeights(mask)};
}

}  // namespace orvex
