#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "common/byteorder.h"
#include "common/host.h"
#include "graphics/chunks.h"
#include "graphics/image.h"
#include "graphics/palette.h"

namespace orvex {

inline constexpr std::int32_t kBlockCount = 256;
inline constexpr std::int32_t kBlockSize = 128;          // pixels a side
inline constexpr std::int32_t kBlockMappingBytes = 128;  // 64 words of 8 x 8 chunks
inline constexpr std::int32_t kBlockMappingsSize = kBlockCount * kBlockMappingBytes;  // 32,768

// The 256 block pictures, 128 x 128 pixels each.
using BlockPictures = std::array<Image, kBlockCount>;

// Told of each block as soon as its picture is drawn, before the progress bar moves on; the
// editor shows it in the block's thumbnail while the later blocks are still being drawn.
using BlockDrawn = std::function<void(std::int32_t block, const Image& picture)>;

struct BlockRenderReport {
    // Blocks whose 128 bytes of mappings were not all present; they are drawn black.
    std::int32_t blocksWithoutData = 0;
};

// Draws the 256 blocks from 128x128 block mappings (64 big-endian words a block, chunk rows top
// to bottom; bits 11-0 the chunk variant, bits 15-12 ignored) with the palette's colours.
// Every picture is replaced. Blocks beyond the end of `data` are drawn black and counted in the
// report; nothing is read past `data`. Reports "Extracting 128x128 Tiles ..." and, after each
// block b, tells `drawn` and then sets the bar to 305 b / 255 (rounded).
[[nodiscard]] BlockRenderReport extractBlocks(ByteSpan data, const LevelPalette& palette,
                                              const ChunkPixels& chunks, BlockPictures& out,
                                              ProgressSink* progress = nullptr,
                                              const BlockDrawn& drawn = {});

}  // namespace orvex
