#include "graphics/collisionimage.h"

#include <algorithm>
#include <cassert>

namespace orvex {

void drawBlockCollision(const LevelParts& parts, std::int32_t block, std::int32_t path,
                        std::span<std::uint8_t> out) {
    assert(out.size() >= static_cast<std::size_t>(kBlockSize * kBlockSize));
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::vector<std::uint8_t>& index = parts.collision[static_cast<std::size_t>(path)];
    if (!parts.shapes || index.empty()) {
        return;
    }
    for (std::int32_t entry = 0; entry < kBlockMappingWords; ++entry) {
        const std::int32_t at = block * kBlockMappingWords + entry;
        if (at >= parts.blocks.wordCount()) {
            return;
        }
        // Bits 0-9 the chunk, 10 X flip, 11 Y flip, then top and sides-and-bottom per path.
        const std::uint16_t word = parts.blocks.word(at);
        const auto solidity = static_cast<std::uint8_t>((word >> (12 + 2 * path)) & 3u);
        const auto chunk = static_cast<std::size_t>(word & 0x03FFu);
        if (solidity == 0 || chunk >= index.size() || index[chunk] == 0) {
            continue;
        }
        const ShapeMask mask = shapeMask(parts.shapes->shapes[index[chunk]], (word & 0x0400u) != 0,
                                         (word & 0x0800u) != 0);
        const std::int32_t left = (entry % kChunksPerBlockRow) * kChunkSide;
        const std::int32_t top = (entry / kChunksPerBlockRow) * kChunkSide;
        for (std::int32_t y = 0; y < kShapeSide; ++y) {
            std::uint8_t* row =
                out.data() + static_cast<std::size_t>((top + y) * kBlockSize + left);
            for (std::int32_t x = 0; x < kShapeSide; ++x) {
                if (mask.solid(x, y)) {
                    row[x] = solidity;
                }
            }
        }
    }
}

}  // namespace orvex
