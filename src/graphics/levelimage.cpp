#include "graphics/levelimage.h"

#include <algorithm>

#include "graphics/progressmath.h"

namespace orvex {

namespace {

// Copies a block picture into `target` with its top-left corner at (left, top). A null or
// wrongly sized picture leaves the target's black in place.
void drawBlock(const Image& block, Image& target, std::int32_t left, std::int32_t top) {
    if (block.width() != kBlockSize || block.height() != kBlockSize) {
        return;
    }
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        const std::uint32_t* source = block.row(y);
        std::copy(source, source + kBlockSize, target.row(top + y) + left);
    }
}

std::int32_t firstColumn(Plane plane) {
    return plane == Plane::Foreground ? 0 : kPlaneColumns;
}

void drawLayoutRow(const BlockPictures& blocks, ByteSpan layout, Plane plane, std::int32_t row,
                   Image& target) {
    const auto rowStart = static_cast<std::size_t>(row) * kLayoutRowBytes +
                          static_cast<std::size_t>(firstColumn(plane));
    for (std::int32_t column = 0; column < kPlaneColumns; ++column) {
        const std::uint8_t block = layout[rowStart + static_cast<std::size_t>(column)];
        drawBlock(blocks[block], target, column * kBlockSize, row * kBlockSize);
    }
}

}  // namespace

Image renderPlane(const BlockPictures& blocks, ByteSpan layout, Plane plane,
                  ProgressSink* progress) {
    const std::int32_t rows = layoutRows(layout.size());
    if (rows == 0) {
        return {};
    }
    Image image(kPlaneColumns * kBlockSize, rows * kBlockSize);
    if (progress != nullptr) {
        progress->setCaption(kDrawingCaption);
    }
    for (std::int32_t row = 0; row < rows; ++row) {
        drawLayoutRow(blocks, layout, plane, row, image);
        if (progress != nullptr) {
            progress->setBarWidth(barWidthRounded(row + 1, rows));
        }
    }
    return image;
}

Image renderBlockSheet(const BlockPictures& blocks) {
    constexpr std::int32_t kSheetRows = kBlockCount / kSheetColumns;
    Image sheet(kSheetColumns * kBlockSize, kSheetRows * kBlockSize);
    for (std::int32_t block = 0; block < kBlockCount; ++block) {
        drawBlock(blocks[static_cast<std::size_t>(block)], sheet,
                  (block % kSheetColumns) * kBlockSize, (block / kSheetColumns) * kBlockSize);
    }
    return sheet;
}

}  // namespace orvex
