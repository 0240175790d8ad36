#include "editor/map/blocklayerpainter.h"

#include <QPainter>
#include <algorithm>

namespace orvex {

namespace {

const QColor kSelectionColour(255, 255, 0);
const QColor kGridColour(255, 255, 255, 70);
const QColor kHighlightColour(255, 64, 255, 110);
constexpr std::int32_t kNumbersFrom = 32;  // cell sizes smaller than this show no numbers

std::size_t pictures(WaterSide side) {
    return static_cast<std::size_t>(side);
}

void drawPicture(QPainter& painter, const QRect& target, const QPixmap& picture) {
    if (picture.isNull()) {
        return;
    }
    if (picture.width() == target.width()) {
        painter.drawPixmap(target.topLeft(), picture);
    } else {
        painter.drawPixmap(target, picture);
    }
}

void drawNumber(QPainter& painter, const QRect& cell, std::uint8_t block) {
    const QString text = QString::number(block, 16).toUpper().rightJustified(2, '0');
    const QRect box(cell.topLeft() + QPoint(2, 2), QSize(std::min(cell.width() - 4, 22), 14));
    painter.fillRect(box, QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

void BlockLayerPainter::setPictureMaker(const PictureMaker& make) {
    mBlockPictures[pictures(WaterSide::Above)].setMaker(
        [make](std::int32_t block) { return make(block, false); });
    mBlockPictures[pictures(WaterSide::Below)].setMaker(
        [make](std::int32_t block) { return make(block, true); });
}

void BlockLayerPainter::forgetBlockPictures(const std::vector<std::int32_t>& blocks) {
    for (BlockPictureCache& cache : mBlockPictures) {
        cache.forget(blocks);
    }
}

void BlockLayerPainter::clearBlockPictures() {
    for (BlockPictureCache& cache : mBlockPictures) {
        cache.clear(true);
    }
    mCollision.clear(false);
}

bool BlockLayerPainter::hasUnderwaterPictures() const {
    return !mBlockPictures[pictures(WaterSide::Below)].at(0, kCellSize).isNull();
}

void BlockLayerPainter::setCollision(std::optional<std::int32_t> path,
                                     BlockPictureCache::Maker make) {
    mCollisionPath = path;
    mCollision.setMaker(std::move(make));
    mCollision.clear(false);
}

bool BlockLayerPainter::forgetCollision(const std::vector<std::int32_t>& blocks) {
    if (!mCollisionPath) {
        return false;
    }
    mCollision.forget(blocks);
    return true;
}

void BlockLayerPainter::setLayout(const Layout* layout, Plane plane) {
    mLayout = layout;
    mPlane = plane;
}

void BlockLayerPainter::setPreview(PlaneCell at, const CellPattern& pattern) {
    mPreviewAt = at;
    mPreview = pattern;
}

std::optional<std::uint8_t> BlockLayerPainter::layoutBlock(PlaneCell cell) const {
    if (mLayout == nullptr || cell.column < 0 || cell.column >= kPlaneColumns) {
        return std::nullopt;
    }
    return mLayout->blockAt(toLayoutCell(mPlane, cell));
}

std::optional<std::uint8_t> BlockLayerPainter::shownBlock(PlaneCell cell) const {
    const std::int32_t row = cell.row - mPreviewAt.row;
    const std::int32_t column = cell.column - mPreviewAt.column;
    if (!mPreview.isEmpty() && row >= 0 && row < mPreview.rows && column >= 0 &&
        column < mPreview.columns) {
        return mPreview.at(row, column);
    }
    return layoutBlock(cell);
}

void BlockLayerPainter::paint(QPainter& painter, const MapGeometry& view, const QRect& area,
                              WaterSide side) const {
    paintCells(painter, view, area, side);
    paintMarks(painter, view, area);
}

// Each cell: its block's picture, the ground of the collision path over it, the highlight, the
// number.
void BlockLayerPainter::paintCells(QPainter& painter, const MapGeometry& view, const QRect& area,
                                   WaterSide side) const {
    const PlaneCell first = view.cellAt(area.topLeft());
    const PlaneCell last = view.cellAt(area.bottomRight());
    const BlockPictureCache& cache = mBlockPictures[pictures(side)];
    for (std::int32_t row = first.row; row <= last.row; ++row) {
        for (std::int32_t column = first.column; column <= last.column; ++column) {
            const auto block = shownBlock({row, column});
            if (!block) {
                continue;
            }
            const QRect target = view.cellRect({row, column});
            const QPixmap& picture = cache.at(*block, view.cellSize);
            if (picture.isNull()) {
                continue;
            }
            drawPicture(painter, target, picture);
            if (mCollisionPath) {
                drawPicture(painter, target, mCollision.at(*block, view.cellSize));
            }
            if (mHighlight == block) {
                painter.fillRect(target, kHighlightColour);
            }
            if (mNumbers && view.cellSize >= kNumbersFrom) {
                drawNumber(painter, target, *block);
            }
        }
    }
}

// The grid, the frame of a preview of more than one cell, and the selection.
void BlockLayerPainter::paintMarks(QPainter& painter, const MapGeometry& view,
                                   const QRect& area) const {
    if (mGrid) {
        painter.setPen(kGridColour);
        const QPoint first = view.cellRect(view.cellAt(area.topLeft())).topLeft();
        for (std::int32_t x = first.x(); x <= area.right(); x += view.cellSize) {
            painter.drawLine(x, area.top(), x, area.bottom());
        }
        for (std::int32_t y = first.y(); y <= area.bottom(); y += view.cellSize) {
            painter.drawLine(area.left(), y, area.right(), y);
        }
    }
    if (!mPreview.isEmpty() && (mPreview.rows > 1 || mPreview.columns > 1)) {
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(view.viewRect(previewCells()).adjusted(0, 0, -1, -1));
    }
    if (mSelection) {
        const QRect selected = view.viewRect(*mSelection);
        painter.fillRect(selected, QColor(255, 255, 0, 50));
        painter.setPen(QPen(kSelectionColour, 2));
        painter.drawRect(selected.adjusted(1, 1, -1, -1));
    }
}

}  // namespace orvex
