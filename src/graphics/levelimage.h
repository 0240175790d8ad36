#pragma once

#include <cstdint>

#include "common/progress.h"
#include "document/layout.h"
#include "graphics/blocks.h"
#include "graphics/indexedimage.h"

// Whole-level pictures composed from the 256 block pictures: one plane of a layout, or all
// blocks side by side. The command-line tool writes them as PNG files and the editor exports
// them the same way.

namespace orvex {

inline constexpr std::int32_t kSheetColumns = 16;  // blocks to a row of the block sheet

// One plane of `layout` at one pixel per block picture pixel: 128 blocks of 128 pixels across
// (16,384 pixels) and layout.completeRows() blocks down; the game's 4,096-byte layouts give
// 16,384 x 2,048. A layout without one complete row gives a null image. Reports Stage::Drawing:
// (0, rows) first, then (r + 1, rows) after drawing layout row r.
[[nodiscard]] IndexedImage renderPlane(const BlockPictures& blocks, const Layout& layout,
                                       Plane plane, ProgressSink* progress = nullptr);

// Rows from `line` down take the underwater colours, which follow the level's 64 in a picture's
// colour table: their indices move up by 64, as the game switches its palette from that
// screen row on.
void markUnderwater(IndexedImage& picture, std::int32_t line);

// The 256 block pictures, 16 to a row in block number order: 2,048 x 2,048 pixels.
[[nodiscard]] IndexedImage renderBlockSheet(const BlockPictures& blocks);

}  // namespace orvex
