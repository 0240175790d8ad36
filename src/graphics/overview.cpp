#include "graphics/overview.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace orvex {

namespace {

// A colour with its three channels spread into 21-bit lanes, so that one 64-bit add sums all
// three: a lane holds the sum of a block row's 128 pixels without carrying into the next.
constexpr std::int32_t kLaneBits = 21;
constexpr std::uint64_t kLaneMask = (std::uint64_t{1} << kLaneBits) - 1;

using SpreadColours = std::array<std::uint64_t, kLevelColours>;

SpreadColours spread(const ColourTable& colours) {
    SpreadColours spread{};
    for (std::size_t index = 0; index < colours.size(); ++index) {
        const std::uint64_t colour = colours[index];
        spread[index] = (((colour >> 16) & 0xFFu) << (2 * kLaneBits)) |
                        (((colour >> 8) & 0xFFu) << kLaneBits) | (colour & 0xFFu);
    }
    return spread;
}

// The average colour of a size x size square of `picture` with its top left at (left, top).
std::uint32_t averageOf(const BlockPictures& blocks, std::int32_t block,
                        const SpreadColours& colours, std::int32_t left, std::int32_t top,
                        std::int32_t size) {
    std::uint64_t red = 0;
    std::uint64_t green = 0;
    std::uint64_t blue = 0;
    for (std::int32_t y = top; y < top + size; ++y) {
        const std::uint8_t* row = blocks.row(block, y) + left;
        std::uint64_t sum = 0;
        for (std::int32_t x = 0; x < size; ++x) {
            sum += colours[row[x] & 0x3Fu];
        }
        red += (sum >> (2 * kLaneBits)) & kLaneMask;
        green += (sum >> kLaneBits) & kLaneMask;
        blue += sum & kLaneMask;
    }
    const auto count = static_cast<std::uint64_t>(size * size);
    return static_cast<std::uint32_t>(0xFF000000u | ((red / count) << 16) | ((green / count) << 8) |
                                      (blue / count));
}

Image miniatureOf(const BlockPictures& blocks, std::int32_t block, const SpreadColours& colours,
                  std::int32_t cellSize) {
    Image small(cellSize, cellSize);
    const std::int32_t square = kBlockSize / cellSize;
    for (std::int32_t y = 0; y < cellSize; ++y) {
        for (std::int32_t x = 0; x < cellSize; ++x) {
            small.setPixel(x, y, averageOf(blocks, block, colours, x * square, y * square, square));
        }
    }
    return small;
}

}  // namespace

BlockMiniatures makeMiniatures(const BlockPictures& blocks, const ColourTable& colours,
                               std::int32_t cellSize) {
    assert(cellSize > 0 && cellSize <= kBlockSize && kBlockSize % cellSize == 0);
    BlockMiniatures miniatures{cellSize, {}};
    miniatures.images.reserve(kBlockCount);
    const SpreadColours spreadColours = spread(colours);
    for (std::int32_t block = 0; block < kBlockCount; ++block) {
        miniatures.images.push_back(miniatureOf(blocks, block, spreadColours, cellSize));
    }
    return miniatures;
}

void updateMiniatures(BlockMiniatures& miniatures, const BlockPictures& blocks,
                      const ColourTable& colours, std::span<const std::int32_t> changed) {
    if (miniatures.images.size() != static_cast<std::size_t>(kBlockCount)) {
        return;
    }
    const SpreadColours spreadColours = spread(colours);
    for (const std::int32_t block : changed) {
        if (block >= 0 && block < kBlockCount) {
            miniatures.images[static_cast<std::size_t>(block)] =
                miniatureOf(blocks, block, spreadColours, miniatures.cellSize);
        }
    }
}

Image renderOverview(const BlockMiniatures& miniatures, const Layout& layout, Plane plane) {
    const std::int32_t rows = layout.completeRows();
    const std::int32_t size = miniatures.cellSize;
    if (rows == 0 || size == 0) {
        return {};
    }
    Image overview(kPlaneColumns * size, rows * size);
    for (std::int32_t row = 0; row < rows; ++row) {
        const auto cells = layout.planeRow(plane, row);
        for (std::int32_t column = 0; column < kPlaneColumns; ++column) {
            const Image& cell = miniatures.images[cells[static_cast<std::size_t>(column)]];
            for (std::int32_t y = 0; y < size; ++y) {
                std::copy_n(cell.row(y), size, overview.row(row * size + y) + column * size);
            }
        }
    }
    return overview;
}

}  // namespace orvex
