#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <array>
#include <cmath>
#include <cstdint>

#include "document/cellpattern.h"
#include "document/layout.h"

namespace orvex {

inline constexpr std::int32_t kCellSize = 128;  // pixels a side of a cell at 100%

// The zooms the map offers, as cell sizes in pixels: 12.5% to 400%.
inline constexpr std::array<std::int32_t, 6> kZoomCellSizes{16, 32, 64, 128, 256, 512};
inline constexpr std::size_t kActualSizeZoom = 3;

// The side of the water line a part of the map lies on: below it the game shows the act's
// underwater colours.
enum class WaterSide : std::size_t { Above, Below };

// Where the map's canvas looks: cells of `cellSize` pixels a side, the plane's pixel `origin` (at
// that size, counted from the plane's top left corner) at the canvas's top left, and the canvas's
// size. Converts between the canvas's pixels, the plane's cells and the level's pixels.
struct MapGeometry {
    std::int32_t cellSize = kCellSize;
    QPoint origin;
    QSize size;

    // Canvas pixels a level pixel takes.
    [[nodiscard]] double scale() const { return static_cast<double>(cellSize) / kCellSize; }
    // The plane cell under a point of the canvas (columns past the plane included).
    [[nodiscard]] PlaneCell cellAt(QPoint point) const {
        return {floorDiv(origin.y() + point.y()), floorDiv(origin.x() + point.x())};
    }
    [[nodiscard]] QRect cellRect(PlaneCell cell) const {
        return {cell.column * cellSize - origin.x(), cell.row * cellSize - origin.y(), cellSize,
                cellSize};
    }
    // The canvas rectangle of plane cells (empty for none).
    [[nodiscard]] QRect viewRect(const CellRect& planeCells) const {
        if (planeCells.isEmpty()) {
            return {};
        }
        return {planeCells.column * cellSize - origin.x(), planeCells.row * cellSize - origin.y(),
                planeCells.columns * cellSize, planeCells.rows * cellSize};
    }
    // A point of the level, in its pixels, on the canvas.
    [[nodiscard]] QPointF viewPoint(std::int32_t x, std::int32_t y) const {
        return {x * scale() - origin.x(), y * scale() - origin.y()};
    }
    // The canvas rectangle of a rectangle of level pixels.
    [[nodiscard]] QRectF viewArea(const QRect& levelArea) const {
        return {viewPoint(levelArea.left(), levelArea.top()),
                viewPoint(levelArea.right() + 1, levelArea.bottom() + 1)};
    }
    // A point of the canvas in level pixels.
    [[nodiscard]] QPoint levelPoint(QPointF point) const {
        return {static_cast<int>(std::floor((point.x() + origin.x()) / scale())),
                static_cast<int>(std::floor((point.y() + origin.y()) / scale()))};
    }

private:
    // Division by the cell size rounding towards minus infinity, for points left of or above the
    // plane.
    [[nodiscard]] std::int32_t floorDiv(std::int32_t value) const {
        return value >= 0 ? value / cellSize : -((-value + cellSize - 1) / cellSize);
    }
};

}  // namespace orvex
