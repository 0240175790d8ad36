#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "rom/levelformat.h"

namespace orvex {

// The two halves of every layout row: columns 0..127 hold the foreground, 128..255 the
// background.
enum class Plane { Foreground, Background };

[[nodiscard]] constexpr std::int32_t firstColumn(Plane plane) {
    return plane == Plane::Foreground ? 0 : kPlaneColumns;
}

// A cell of the layout: its row and its layout column (0..255, both planes side by side).
struct LayoutCell {
    std::int32_t row = 0;
    std::int32_t column = 0;
    friend bool operator==(const LayoutCell&, const LayoutCell&) = default;
};

// The cell at `column` (0..127) of one plane.
[[nodiscard]] constexpr LayoutCell planeCell(Plane plane, std::int32_t row, std::int32_t column) {
    return {row, firstColumn(plane) + column};
}

// A rectangle of layout cells; empty when it has no rows or no columns.
struct CellRect {
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::int32_t rows = 0;
    std::int32_t columns = 0;

    [[nodiscard]] bool isEmpty() const { return rows <= 0 || columns <= 0; }
    [[nodiscard]] bool contains(LayoutCell cell) const {
        return cell.row >= row && cell.row < row + rows && cell.column >= column &&
               cell.column < column + columns;
    }
    // The smallest rectangle holding both.
    [[nodiscard]] CellRect united(const CellRect& other) const;
    [[nodiscard]] static CellRect of(LayoutCell cell) { return {cell.row, cell.column, 1, 1}; }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// A level layout: rows of 256 block numbers, the foreground's 128 columns followed by the
// background's. The game's layouts are 16 rows (4,096 bytes); a layout read from a file may end
// inside a row, and that partial row holds only its first columns.
class Layout {
public:
    Layout() = default;
    explicit Layout(std::vector<std::uint8_t> bytes) : mBytes(std::move(bytes)) {}

    [[nodiscard]] const std::vector<std::uint8_t>& bytes() const { return mBytes; }
    [[nodiscard]] std::size_t size() const { return mBytes.size(); }
    // Rows that hold both planes; a partial last row is not one of them.
    [[nodiscard]] std::int32_t completeRows() const {
        return static_cast<std::int32_t>(mBytes.size() / kLayoutRowBytes);
    }

    // Where a cell's byte lies in the layout; empty for a cell outside it.
    [[nodiscard]] std::optional<std::size_t> indexOf(LayoutCell cell) const {
        if (cell.row < 0 || cell.column < 0 || cell.column >= kLayoutRowBytes) {
            return std::nullopt;
        }
        const auto index = static_cast<std::size_t>(cell.row) * kLayoutRowBytes +
                           static_cast<std::size_t>(cell.column);
        return index < mBytes.size() ? std::optional<std::size_t>(index) : std::nullopt;
    }
    [[nodiscard]] bool contains(LayoutCell cell) const { return indexOf(cell).has_value(); }
    [[nodiscard]] std::optional<std::uint8_t> blockAt(LayoutCell cell) const {
        const auto index = indexOf(cell);
        return index ? std::optional<std::uint8_t>(mBytes[*index]) : std::nullopt;
    }
    // Stores a block; false, storing nothing, for a cell outside the layout.
    bool setBlock(LayoutCell cell, std::uint8_t block) {
        const auto index = indexOf(cell);
        if (index) {
            mBytes[*index] = block;
        }
        return index.has_value();
    }

    // The 128 block numbers of one plane in a complete row.
    [[nodiscard]] std::span<const std::uint8_t> planeRow(Plane plane, std::int32_t row) const {
        const auto start = static_cast<std::size_t>(row) * kLayoutRowBytes +
                           static_cast<std::size_t>(firstColumn(plane));
        return std::span<const std::uint8_t>(mBytes).subspan(start, kPlaneColumns);
    }

    friend bool operator==(const Layout&, const Layout&) = default;

private:
    std::vector<std::uint8_t> mBytes;
};

inline CellRect CellRect::united(const CellRect& other) const {
    if (isEmpty()) {
        return other;
    }
    if (other.isEmpty()) {
        return *this;
    }
    const std::int32_t top = std::min(row, other.row);
    const std::int32_t left = std::min(column, other.column);
    const std::int32_t bottom = std::max(row + rows, other.row + other.rows);
    const std::int32_t right = std::max(column + columns, other.column + other.columns);
    return {top, left, bottom - top, right - left};
}

}  // namespace orvex
