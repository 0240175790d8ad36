#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <algorithm>

#include "common/byteorder.h"
#include "common/progress.h"
#include "rom/levelformat.h"

namespace orvex {

inline constexpr std::int32_t kTileVariants = 4 * kBaseTiles;  // base, h-flip, v-flip, both

// tilePixels: the colour index (0..15) of every pixel of every tile variant. Variant
// v = t + 2048 h + 4096 f is tile t mirrored left-right when h is 1 and top-bottom when f is 1,
// which is the low 13 bits of a pattern word. Zero at start and after clear().
class TilePixels {
public:
    TilePixels() : mPixels(static_cast<std::size_t>(kTileVariants) * 64, 0) {}

    [[nodiscard]] std::uint8_t at(std::int32_t variant, std::int32_t x, std::int32_t y) const {
        return mPixels[offset(variant, x, y)];
    }
    void set(std::int32_t variant, std::int32_t x, std::int32_t y, std::uint8_t colourIndex) {
        mPixels[offset(variant, x, y)] = colourIndex;
    }
    // The 64 pixels of one variant, row by row; the decoder writes through the mutable one.
    [[nodiscard]] const std::uint8_t* variant(std::int32_t v) const {
        return &mPixels[static_cast<std::size_t>(v) * 64];
    }
    [[nodiscard]] std::uint8_t* variant(std::int32_t v) {
        return &mPixels[static_cast<std::size_t>(v) * 64];
    }

    void clear() { std::fill(mPixels.begin(), mPixels.end(), std::uint8_t{0}); }

    friend bool operator==(const TilePixels&, const TilePixels&) = default;

private:
    [[nodiscard]] static std::size_t offset(std::int32_t v, std::int32_t x, std::int32_t y) {
        return static_cast<std::size_t>(v) * 64 + static_cast<std::size_t>(y) * 8 +
               static_cast<std::size_t>(x);
    }
    std::vector<std::uint8_t> mPixels;
};

// Decodes 4-bit 8x8 tile art (32 bytes a tile, rows top to bottom, high nibble = left pixel)
// into base tiles 0..2047 and rebuilds all three mirrored copies. Data shorter than 65,536 bytes
// replaces only what it covers (a partial last tile keeps its other pixels); bytes beyond
// 65,536 are ignored. Reports Stage::Tiles over the 8192 variants: (0, 8192) first, then n + 1
// after each variant n, every base tile read completely, then all 6144 mirrored copies.
void extractTiles(ByteSpan data, TilePixels& tiles, ProgressSink* progress = nullptr);

// Decodes base tile `tile` alone from the art `data` (where its 32 bytes lie at tile x 32) and
// rebuilds its mirrored copies; a tile past the end of `data` keeps its pixels.
void extractTile(ByteSpan data, std::int32_t tile, TilePixels& tiles);

}  // namespace orvex
