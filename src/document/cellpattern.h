#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/layout.h"
#include "document/leveldocument.h"

// Rectangles of block numbers taken from one plane of a layout and put back into any plane of
// any level (block numbers travel, not pictures), and the other ways the map edits many cells
// at once.

namespace orvex {

// A cell of one plane: its row and its column within the plane (0..127).
struct PlaneCell {
    std::int32_t row = 0;
    std::int32_t column = 0;
    friend bool operator==(const PlaneCell&, const PlaneCell&) = default;
};

[[nodiscard]] constexpr LayoutCell toLayoutCell(Plane plane, PlaneCell cell) {
    return planeCell(plane, cell.row, cell.column);
}

// A rectangle of block numbers, row by row.
struct CellPattern {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::vector<std::uint8_t> blocks;

    [[nodiscard]] bool isEmpty() const { return blocks.empty(); }
    [[nodiscard]] std::uint8_t at(std::int32_t row, std::int32_t column) const {
        return blocks[static_cast<std::size_t>(row * columns + column)];
    }
    friend bool operator==(const CellPattern&, const CellPattern&) = default;
};

// The cells of `rect` (rows and plane columns) that lie inside the plane and the layout: a
// rectangle cut down to them; empty when none does.
[[nodiscard]] CellPattern copyCells(const Layout& layout, Plane plane, const CellRect& rect);

// The blocks `pattern` puts into the plane with its top left cell at `at`; cells that fall
// outside the plane or the layout are left out.
[[nodiscard]] std::vector<CellBlock> pasteCells(const Layout& layout, Plane plane, PlaneCell at,
                                                const CellPattern& pattern);

// Every cell of `rect` inside the plane and the layout, set to `block`.
[[nodiscard]] std::vector<CellBlock> fillCells(const Layout& layout, Plane plane,
                                               const CellRect& rect, std::uint8_t block);

// The 4-connected region of cells holding the same block as `start`, within the plane and the
// layout, each set to `block`; empty when `start` lies outside or already holds `block`.
[[nodiscard]] std::vector<CellBlock> floodFill(const Layout& layout, Plane plane, PlaneCell start,
                                               std::uint8_t block);

// The pattern as text: one line a row, each block as two upper-case hexadecimal digits, separated
// by spaces ("00 1A FF").
[[nodiscard]] std::string patternText(const CellPattern& pattern);

// Text in that form (any white space between numbers, one or two digits each, upper or lower
// case, every line as long as the first; blank lines at the end ignored) as a pattern; empty for
// anything else.
[[nodiscard]] std::optional<CellPattern> parsePatternText(std::string_view text);

}  // namespace orvex
