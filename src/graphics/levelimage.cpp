#include "graphics/levelimage.h"

#include <algorithm>
#include <cstring>

namespace orvex {

namespace {

// Copies a block picture into `target` with its top-left corner at (left, top).
void drawBlock(const BlockPictures& blocks, std::int32_t block, IndexedImage& target,
               std::int32_t left, std::int32_t top) {
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        std::memcpy(target.row(top + y) + left, blocks.row(block, y), kBlockSize);
    }
}

}  // namespace

IndexedImage renderPlane(const BlockPictures& blocks, const Layout& layout, Plane plane,
                         ProgressSink* progress) {
    const std::int32_t rows = layout.completeRows();
    if (rows == 0) {
        return {};
    }
    IndexedImage image(kPlaneColumns * kBlockSize, rows * kBlockSize);
    if (progress != nullptr) {
        progress->progress(Stage::Drawing, 0, rows);
    }
    for (std::int32_t row = 0; row < rows; ++row) {
        const auto cells = layout.planeRow(plane, row);
        for (std::int32_t column = 0; column < kPlaneColumns; ++column) {
            drawBlock(blocks, cells[static_cast<std::size_t>(column)], image, column * kBlockSize,
                      row * kBlockSize);
        }
        if (progress != nullptr) {
            progress->progress(Stage::Drawing, row + 1, rows);
        }
    }
    return image;
}

IndexedImage renderBlockSheet(const BlockPictures& blocks) {
    constexpr std::int32_t kSheetRows = kBlockCount / kSheetColumns;
    IndexedImage sheet(kSheetColumns * kBlockSize, kSheetRows * kBlockSize);
    for (std::int32_t block = 0; block < kBlockCount; ++block) {
        drawBlock(blocks, block, sheet, (block % kSheetColumns) * kBlockSize,
                  (block / kSheetColumns) * kBlockSize);
    }
    return sheet;
}

void markUnderwater(IndexedImage& picture, std::int32_t line) {
    for (std::int32_t y = std::max(line, 0); y < picture.height(); ++y) {
        std::uint8_t* row = picture.row(y);
        for (std::int32_t x = 0; x < picture.width(); ++x) {
            row[x] = static_cast<std::uint8_t>(row[x] + kLevelColours);
        }
    }
}

}  // namespace orvex
