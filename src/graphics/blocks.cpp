#include "graphics/blocks.h"

#include <algorithm>
#include <cstring>

namespace orvex {
namespace {

constexpr auto kSide = static_cast<std::size_t>(kChunkSide);
constexpr auto kPerRow = static_cast<std::size_t>(kChunksPerBlockRow);
constexpr auto kMappingBytes = static_cast<std::size_t>(kBlockMappingBytes);

// Fills the 16x16 area whose top-left pixel is (left, top) of block `block` from `chunk`, or
// with colour 0 when there is no chunk.
void drawChunk(const std::uint8_t* chunk, BlockPictures& out, std::int32_t block, std::size_t left,
               std::size_t top) {
    for (std::size_t y = 0; y < kSide; ++y) {
        std::uint8_t* row = out.row(block, static_cast<std::int32_t>(top + y)) + left;
        if (chunk != nullptr) {
            std::memcpy(row, chunk + kSide * y, kSide);
        } else {
            std::memset(row, 0, kSide);
        }
    }
}

// Draws one block from its mappings, `available` of which are present (at most 128 bytes).
void drawBlock(const std::uint8_t* mappings, std::size_t available, const ChunkPixels& chunks,
               BlockPictures& out, std::int32_t block) {
    for (std::size_t j = 0; j < kPerRow * kPerRow; ++j) {
        const std::uint8_t* chunk = nullptr;
        if (2 * j + 2 <= available) {
            chunk = chunks.variant((mappings[2 * j] & 0x0F) * 256 + mappings[2 * j + 1]);
        }
        drawChunk(chunk, out, block, kSide * (j % kPerRow), kSide * (j / kPerRow));
    }
}

}  // namespace

BlockPictures::BlockPictures()
    : mPixels(std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(kBlockCount) * kBlockSize *
                                               kBlockSize)) {}

IndexedImage BlockPictures::picture(std::int32_t block) const {
    IndexedImage image(kBlockSize, kBlockSize);
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        std::memcpy(image.row(y), row(block, y), kBlockSize);
    }
    return image;
}

void drawBlocks(ByteSpan data, const ChunkPixels& chunks, BlockPictures& out,
                ProgressSink* progress, const BlockDrawn& drawn) {
    if (progress != nullptr) {
        progress->progress(Stage::Blocks, 0, kBlockCount);
    }
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        drawBlock(data, b, chunks, out);
        if (drawn) {
            drawn(b);
        }
        if (progress != nullptr) {
            progress->progress(Stage::Blocks, b + 1, kBlockCount);
        }
    }
}

void drawBlock(ByteSpan data, std::int32_t block, const ChunkPixels& chunks, BlockPictures& out) {
    const std::size_t start = static_cast<std::size_t>(block) * kMappingBytes;
    const std::size_t available =
        data.size() > start ? std::min(data.size() - start, kMappingBytes) : 0;
    drawBlock(available > 0 ? data.data() + start : nullptr, available, chunks, out, block);
}

void clearBlock(std::int32_t block, BlockPictures& out) {
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        std::memset(out.row(block, y), 0, kBlockSize);
    }
}

}  // namespace orvex
