#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "document/layout.h"
#include "graphics/blocks.h"
#include "graphics/image.h"
#include "graphics/indexedimage.h"

// The level overview: a whole plane drawn small, one miniature of a block per layout cell.

namespace orvex {

// The 256 block pictures scaled down to `cellSize` pixels a side, each pixel the average of the
// square of block pixels it covers. cellSize divides 128 (1, 2, 4, ..., 128).
struct BlockMiniatures {
    std::int32_t cellSize = 0;
    std::vector<Image> images;  // one per block number
};

[[nodiscard]] BlockMiniatures makeMiniatures(const BlockPictures& blocks,
                                             const ColourTable& colours, std::int32_t cellSize);

// Makes the miniatures of blocks `changed` again from `blocks`, after their pictures changed.
void updateMiniatures(BlockMiniatures& miniatures, const BlockPictures& blocks,
                      const ColourTable& colours, std::span<const std::int32_t> changed);

// One plane of `layout` with each cell drawn as its block's miniature: 128 cells across and
// layout.completeRows() down. Nothing is decoded; a layout without a complete row gives a null
// Image.
[[nodiscard]] Image renderOverview(const BlockMiniatures& miniatures, const Layout& layout,
                                   Plane plane);

}  // namespace orvex
