#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/progress.h"
#include "graphics/tiles.h"

namespace orvex {

inline constexpr std::int32_t kChunkVariants = 4 * kBaseChunks;  // base, h-flip, v-flip, both

// The colour of every pixel of every 16x16 chunk variant: 16 palette line + colour index, an
// index into the level's ColourTable. Variant w = c + 1024 h + 2048 f is chunk c mirrored
// left-right when h is 1 and top-bottom when f is 1, which is the low 12 bits of a block
// mapping word. Zero at start and after clear().
class ChunkPixels {
public:
    ChunkPixels() : mPixels(static_cast<std::size_t>(kChunkVariants) * kPixels, 0) {}

    [[nodiscard]] std::uint8_t at(std::int32_t w, std::int32_t x, std::int32_t y) const {
        return variant(w)[y * kChunkSide + x];
    }
    // The 256 pixels of one variant, row by row; the decoder writes through the mutable one.
    [[nodiscard]] const std::uint8_t* variant(std::int32_t w) const {
        return &mPixels[static_cast<std::size_t>(w) * kPixels];
    }
    [[nodiscard]] std::uint8_t* variant(std::int32_t w) {
        return &mPixels[static_cast<std::size_t>(w) * kPixels];
    }
    void clear() { std::fill(mPixels.begin(), mPixels.end(), std::uint8_t{0}); }

    friend bool operator==(const ChunkPixels&, const ChunkPixels&) = default;

private:
    static constexpr std::size_t kPixels = kChunkSide * kChunkSide;
    std::vector<std::uint8_t> mPixels;
};

// Builds base chunks 0..1023 from 16x16 chunk mappings (four big-endian pattern words a chunk:
// top-left, top-right, bottom-left, bottom-right; bits 14-13 palette line, bits 12-0 tile
// variant, bit 15 ignored) and rebuilds the three mirrored copies. Short data replaces only the
// quarters whose words are complete; bytes beyond 8192 are ignored. Reports Stage::Chunks over
// the 4096 variants: (0, 4096) first, then n + 1 after each variant n, every base chunk whose
// four words were complete, then all 3072 mirrored copies.
void extractChunks(ByteSpan data, const TilePixels& tiles, ChunkPixels& chunks,
                   ProgressSink* progress = nullptr);

// Builds base chunk `chunk` alone from the mappings `data` and rebuilds its mirrored copies; a
// chunk whose four words `data` does not hold keeps its pixels.
void extractChunk(ByteSpan data, std::int32_t chunk, const TilePixels& tiles, ChunkPixels& chunks);

}  // namespace orvex
