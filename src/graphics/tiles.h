#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/host.h"

namespace orvex {

inline constexpr std::int32_t kBaseTiles = 2048;
inline constexpr std::int32_t kTileVariants = 8192;  // base tile + 2048 h-flip + 4096 v-flip
inline constexpr std::int32_t kTileBytes = 32;       // 4 bits per pixel, 8 x 8

// tilePixels: the colour index (0..15) of every pixel of every tile variant. Variant
// v = t + 2048 h + 4096 f is tile t mirrored left-right when h is 1 and top-bottom when f is 1,
// which is the low 13 bits of a pattern word. Zero at start.
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
// 65,536 are ignored. Reports "Extracting 8x8 Tiles ..." and bar 305 n / 8192 (rounded half to
// even) after each variant n: every base tile read completely, then all 6144 mirrored copies.
void extractTiles(ByteSpan data, TilePixels& tiles, ProgressSink* progress = nullptr);

}  // namespace orvex
