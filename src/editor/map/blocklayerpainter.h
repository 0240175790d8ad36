#pragma once

#include <QPixmap>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "document/cellpattern.h"
#include "document/layout.h"
#include "editor/map/blockpicturecache.h"
#include "editor/map/mapgeometry.h"

class QPainter;

namespace orvex {

// The map's block layer: one plane of a layout drawn from the block pictures (above and below
// the water line), with what the map tools show over the cells: the collision ground of a path,
// the cells of one block highlighted, block numbers, grid lines, a preview of the blocks to be
// placed and the selection. It holds no widget: the canvas repaints what its setters change.
class BlockLayerPainter {
public:
    // How to make a block's picture at 100% (128 x 128), above the water or in the underwater
    // colours (null for an act without water), once forgotten.
    using PictureMaker = std::function<QPixmap(std::int32_t block, bool underwater)>;
    void setPictureMaker(const PictureMaker& make);
    // The pictures of `blocks` are made again through the picture maker when next drawn.
    void forgetBlockPictures(const std::vector<std::int32_t>& blocks);
    // Every picture gone until forgotten, the collision ground made again when drawn.
    void clearBlockPictures();
    // Whether the act's underwater pictures are known (block 0's is made when needed).
    [[nodiscard]] bool hasUnderwaterPictures() const;

    // The ground of collision path `path` drawn over each cell, as `make` gives it (none: no
    // ground drawn).
    void setCollision(std::optional<std::int32_t> path, BlockPictureCache::Maker make);
    [[nodiscard]] std::optional<std::int32_t> collisionPath() const { return mCollisionPath; }
    // The ground of `blocks` is made again when next drawn; false when no ground is shown.
    bool forgetCollision(const std::vector<std::int32_t>& blocks);

    // What to draw: a plane of `layout` (null: nothing).
    void setLayout(const Layout* layout, Plane plane);
    [[nodiscard]] Plane plane() const { return mPlane; }
    [[nodiscard]] bool hasLayout() const { return mLayout != nullptr; }

    // The blocks shown at `at` instead of the layout's (empty: none).
    void setPreview(PlaneCell at, const CellPattern& pattern);
    [[nodiscard]] bool hasPreview() const { return !mPreview.isEmpty(); }
    // The plane cells the preview covers.
    [[nodiscard]] CellRect previewCells() const {
        return {mPreviewAt.row, mPreviewAt.column, mPreview.rows, mPreview.columns};
    }
    [[nodiscard]] bool isPreview(PlaneCell at, const CellPattern& pattern) const {
        return at == mPreviewAt && pattern == mPreview;
    }
    [[nodiscard]] PlaneCell previewAt() const { return mPreviewAt; }
    void setSelection(const std::optional<CellRect>& cells) { mSelection = cells; }
    [[nodiscard]] const std::optional<CellRect>& selection() const { return mSelection; }
    void setGrid(bool shown) { mGrid = shown; }
    void setNumbers(bool shown) { mNumbers = shown; }
    [[nodiscard]] bool numbers() const { return mNumbers; }
    void setHighlight(std::optional<std::uint8_t> block) { mHighlight = block; }
    [[nodiscard]] std::optional<std::uint8_t> highlight() const { return mHighlight; }

    // The block a cell shows: the preview's, the layout's, or none (drawn empty).
    [[nodiscard]] std::optional<std::uint8_t> shownBlock(PlaneCell cell) const;

    // Draws the cells that meet `area` of the canvas in the pictures of `side` of the water line,
    // then the grid, the preview's frame and the selection. Leaves the background as it is where
    // a cell has no picture.
    void paint(QPainter& painter, const MapGeometry& view, const QRect& area, WaterSide side) const;

private:
    [[nodiscard]] std::optional<std::uint8_t> layoutBlock(PlaneCell cell) const;
    void paintCells(QPainter& painter, const MapGeometry& view, const QRect& area,
                    WaterSide side) const;
    void paintMarks(QPainter& painter, const MapGeometry& view, const QRect& area) const;

    std::array<BlockPictureCache, 2> mBlockPictures;  // above and below the water
    BlockPictureCache mCollision;  // the ground of the collision path shown, over the blocks
    std::optional<std::int32_t> mCollisionPath;
    const Layout* mLayout = nullptr;
    Plane mPlane = Plane::Foreground;
    PlaneCell mPreviewAt;
    CellPattern mPreview;
    std::optional<CellRect> mSelection;
    bool mGrid = false;
    bool mNumbers = false;
    std::optional<std::uint8_t> mHighlight;
};

}  // namespace orvex
