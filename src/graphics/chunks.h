#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/host.h"
#include "graphics/tiles.h"

namespace orvex {

inline constexpr std::int32_t kBaseChunks = 1024;
inline constexpr std::int32_t kChunkVariants = 4096;   // base chunk + 1024 h-flip + 2048 v-flip
inline constexpr std::int32_t kChunkMappingBytes = 8;  // four pattern words

struct ChunkPixel {
    std::uint8_t paletteLine = 0;  // 0..3
    std::uint8_t colourIndex = 0;  // 0..15
    friend bool operator==(const ChunkPixel&, const ChunkPixel&) = default;
};

// chunkPixels: palette line and colour index of every pixel of every 16x16 chunk variant.
// Variant w = c + 1024 h + 2048 f is chunk c mirrored left-right when h is 1 and top-bottom when
// f is 1, which is the low 12 bits of a block mapping word. Zero at start.
class ChunkPixels {
public:
    ChunkPixels() : mPixels(static_cast<std::size_t>(kChunkVariants) * 256) {}

    [[nodiscard]] ChunkPixel at(std::int32_t variant, std::int32_t x, std::int32_t y) const {
        return mPixels[offset(variant, x, y)];
    }
    void set(std::int32_t variant, std::int32_t x, std::int32_t y, ChunkPixel pixel) {
        mPixels[offset(variant, x, y)] = pixel;
    }
    // The 256 pixels of one variant, row by row; the decoder writes through the mutable one.
    [[nodiscard]] const ChunkPixel* variant(std::int32_t w) const {
        return &mPixels[static_cast<std::size_t>(w) * 256];
    }
    [[nodiscard]] ChunkPixel* variant(std::int32_t w) {
        return &mPixels[static_cast<std::size_t>(w) * 256];
    }

    friend bool operator==(const ChunkPixels&, const ChunkPixels&) = default;

private:
    [[nodiscard]] static std::size_t offset(std::int32_t w, std::int32_t x, std::int32_t y) {
        return static_cast<std::size_t>(w) * 256 + static_cast<std::size_t>(y) * 16 +
               static_cast<std::size_t>(x);
    }
    std::vector<ChunkPixel> mPixels;
};

// Builds base chunks 0..1023 from 16x16 chunk mappings (four big-endian pattern words a chunk:
// top-left, top-right, bottom-left, bottom-right; bits 14-13 palette line, bits 12-0 tile
// variant, bit 15 ignored) and rebuilds the three mirrored copies. Short data replaces only the
// quarters whose words are complete; bytes beyond 8192 are ignored. Reports
// "Extracting 16x16 Tiles ..." and bar 305 n / 4096 (rounded half to even) after each variant n:
// every base chunk whose four words were complete, then all 3072 mirrored copies.
void extractChunks(ByteSpan data, const TilePixels& tiles, ChunkPixels& chunks,
                   ProgressSink* progress = nullptr);

}  // namespace orvex
