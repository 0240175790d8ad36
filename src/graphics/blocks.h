#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/byteorder.h"
#include "common/progress.h"
#include "graphics/chunks.h"
#include "graphics/indexedimage.h"

namespace orvex {

// The 256 block pictures, 128 x 128 colour indices each (16 palette line + colour), in one
// buffer of 4 MiB.
class BlockPictures {
public:
    BlockPictures();

    [[nodiscard]] const std::uint8_t* row(std::int32_t block, std::int32_t y) const {
        return &mPixels[offset(block, y)];
    }
    [[nodiscard]] std::uint8_t* row(std::int32_t block, std::int32_t y) {
        return &mPixels[offset(block, y)];
    }
    [[nodiscard]] std::uint8_t pixel(std::int32_t block, std::int32_t x, std::int32_t y) const {
        return row(block, y)[x];
    }
    // One block as a picture of its own.
    [[nodiscard]] IndexedImage picture(std::int32_t block) const;

private:
    [[nodiscard]] static std::size_t offset(std::int32_t block, std::int32_t y) {
        return (static_cast<std::size_t>(block) * kBlockSize + static_cast<std::size_t>(y)) *
               kBlockSize;
    }
    std::unique_ptr<std::uint8_t[]> mPixels;
};

// Told of each block as soon as its picture is drawn, before progress moves on; the editor shows
// it in the block's thumbnail while the later blocks are still being drawn.
using BlockDrawn = std::function<void(std::int32_t block)>;

// Draws the 256 blocks from 128x128 block mappings (64 big-endian words a block, chunk rows top
// to bottom; bits 11-0 the chunk variant, bits 15-12 ignored). Every picture is replaced; the
// chunks a block's mappings do not reach (blocks beyond the end of `data`) are drawn in colour 0,
// and nothing is read past `data`. Reports Stage::Blocks: (0, 256) first, then, after telling
// `drawn` of block b, (b + 1, 256).
void drawBlocks(ByteSpan data, const ChunkPixels& chunks, BlockPictures& out,
                ProgressSink* progress = nullptr, const BlockDrawn& drawn = {});

// Draws block `block` alone, as drawBlocks draws it.
void drawBlock(ByteSpan data, std::int32_t block, const ChunkPixels& chunks, BlockPictures& out);

// Fills block `block`'s picture with colour 0.
void clearBlock(std::int32_t block, BlockPictures& out);

}  // namespace orvex
