#include "graphics/collisionimage.h"

#include <algorithm>
#include <array>
#include <vector>

#include "rom/levelformat.h"

namespace orvex {

namespace {

constexpr std::int32_t kChunksAcross = kCollisionBlockSide / kShapeSide;

// One chunk entry's solid pixels, at chunk row `row` and column `column` of the block.
void drawEntry(const ShapeMask& mask, std::uint8_t solidity, std::int32_t row, std::int32_t column,
               std::span<std::uint8_t> out) {
    for (std::int32_t y = 0; y < kShapeSide; ++y) {
        const std::int32_t line = (row * kShapeSide + y) * kCollisionBlockSide;
        for (std::int32_t x = 0; x < kShapeSide; ++x) {
            if (mask.solid(x, y)) {
                out[static_cast<std::size_t>(line + column * kShapeSide + x)] = solidity;
            }
        }
    }
}

}  // namespace

void drawBlockCollision(const LevelParts& parts, std::int32_t block, std::int32_t path,
                        std::span<std::uint8_t> out) {
    constexpr auto kPixels = static_cast<std::size_t>(kCollisionBlockSide * kCollisionBlockSide);
    if (out.size() < kPixels) {
        return;
    }
    std::fill_n(out.begin(), kPixels, std::uint8_t{0});
    if (!parts.shapes || path < 0 || path >= kCollisionPaths || block < 0) {
        return;
    }
    const std::vector<std::uint8_t>& index = parts.collision[static_cast<std::size_t>(path)];
    for (std::int32_t entry = 0; entry < kBlockMappingWords; ++entry) {
        const std::int32_t at = block * kBlockMappingWords + entry;
        if (at >= parts.blocks.wordCount()) {
            return;
        }
        const std::uint16_t word = parts.blocks.word(at);
        const std::uint8_t solidity = blockSolidity(word, path);
        const std::int32_t chunk = word & kBlockChunkBits;
        if (solidity == 0 || chunk >= static_cast<std::int32_t>(index.size())) {
            continue;
        }
        const Shape& shape = parts.shapes->shapes[index[static_cast<std::size_t>(chunk)]];
        drawEntry(shapeMask(shape, (word & kBlockFlipX) != 0, (word & kBlockFlipY) != 0), solidity,
                  entry / kChunksAcross, entry % kChunksAcross, out);
    }
}

void drawPlaneCollision(const LevelParts& parts, Plane plane, std::int32_t path,
                        std::uint8_t firstColour, IndexedImage& picture) {
    const std::int32_t rows =
        std::min(parts.layout.completeRows(), picture.height() / kCollisionBlockSide);
    const std::int32_t columns = std::min(kPlaneColumns, picture.width() / kCollisionBlockSide);
    // Each block's picture is drawn once, when it is first met.
    std::array<std::vector<std::uint8_t>, kBlockCount> drawn;
    for (std::int32_t row = 0; row < rows; ++row) {
        const auto cells = parts.layout.planeRow(plane, row);
        for (std::int32_t column = 0; column < columns; ++column) {
            const std::uint8_t block = cells[static_cast<std::size_t>(column)];
            std::vector<std::uint8_t>& pixels = drawn[block];
            if (pixels.empty()) {
                pixels.resize(static_cast<std::size_t>(kCollisionBlockSide * kCollisionBlockSide));
                drawBlockCollision(parts, block, path, pixels);
            }
            for (std::int32_t y = 0; y < kCollisionBlockSide; ++y) {
                for (std::int32_t x = 0; x < kCollisionBlockSide; ++x) {
                    const std::uint8_t solidity =
                        pixels[static_cast<std::size_t>(y * kCollisionBlockSide + x)];
                    if (solidity != 0) {
                        picture.setPixel(column * kCollisionBlockSide + x,
                                         row * kCollisionBlockSide + y,
                                         static_cast<std::uint8_t>(firstColour + solidity - 1));
                    }
                }
            }
        }
    }
}

}  // namespace orvex
