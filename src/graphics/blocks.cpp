#include "graphics/blocks.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "graphics/progressmath.h"

namespace orvex {
namespace {

constexpr std::size_t kChunkSide = 16;
constexpr std::size_t kChunksPerRow = 8;
constexpr std::uint32_t kBlack = 0xFF000000u;

// The 64 colours as Image pixels, line * 16 + colour index.
using ArgbPalette = std::array<std::uint32_t, 64>;

ArgbPalette argbColours(const LevelPalette& palette) {
    ArgbPalette argb{};
    for (std::size_t line = 0; line < 4; ++line) {
        for (std::size_t index = 0; index < 16; ++index) {
            argb[16 * line + index] = toArgb(palette.at(line, index));
        }
    }
    return argb;
}

// Chunk variants as Image pixels, each converted the first time a block names it: a block
// table names most of its chunks many times over, so drawing becomes copying rows.
class ArgbChunks {
public:
    ArgbChunks(const ChunkPixels& chunks, const LevelPalette& palette)
        : mChunks(chunks),
          mColours(argbColours(palette)),
          mPixels(
              std::make_unique_for_overwrite<std::uint32_t[]>(kVariantPixels * kChunkVariants)) {}

    // The 256 pixels of chunk variant w, row by row. Precondition: 0 <= w < kChunkVariants.
    [[nodiscard]] const std::uint32_t* variant(std::int32_t w) {
        const auto slot = static_cast<std::size_t>(w);
        std::uint32_t* pixels = &mPixels[slot * kVariantPixels];
        if (!mReady[slot]) {
            convert(mChunks.variant(w), pixels);
            mReady[slot] = true;
        }
        return pixels;
    }

private:
    static constexpr std::size_t kVariantPixels = kChunkSide * kChunkSide;

    void convert(const ChunkPixel* from, std::uint32_t* to) const {
        for (std::size_t i = 0; i < kVariantPixels; ++i) {
            const ChunkPixel pixel = from[i];
            to[i] = mColours[16u * (pixel.paletteLine & 3u) + (pixel.colourIndex & 15u)];
        }
    }

    const ChunkPixels& mChunks;
    ArgbPalette mColours;
    std::unique_ptr<std::uint32_t[]> mPixels;
    std::array<bool, kChunkVariants> mReady{};
};

// Copies a converted chunk into the 16x16 area whose top-left pixel is (left, top).
void drawChunk(const std::uint32_t* chunk, Image& picture, std::int32_t left, std::int32_t top) {
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(kChunkSide); ++y) {
        std::uint32_t* row = picture.row(top + y) + left;
        std::memcpy(row, chunk + kChunkSide * static_cast<std::size_t>(y),
                    kChunkSide * sizeof(std::uint32_t));
    }
}

void fillBlack(Image& picture, std::int32_t left, std::int32_t top) {
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(kChunkSide); ++y) {
        std::uint32_t* row = picture.row(top + y) + left;
        std::fill(row, row + kChunkSide, kBlack);
    }
}

// Draws one block from its mappings, `available` of which are present (at most 128 bytes).
// Every pixel of the picture is written, so a picture of the right size is reused as it is.
void drawBlock(const std::uint8_t* mappings, std::size_t available, ArgbChunks& chunks,
               Image& picture) {
    if (picture.width() != kBlockSize || picture.height() != kBlockSize) {
        picture = Image(kBlockSize, kBlockSize);
    }
    for (std::size_t j = 0; j < kChunksPerRow * kChunksPerRow; ++j) {
        const auto left = static_cast<std::int32_t>(kChunkSide * (j % kChunksPerRow));
        const auto top = static_cast<std::int32_t>(kChunkSide * (j / kChunksPerRow));
        if (2 * j + 2 > available) {
            fillBlack(picture, left, top);
            continue;
        }
        const std::int32_t variant = (mappings[2 * j] & 0x0F) * 256 + mappings[2 * j + 1];
        drawChunk(chunks.variant(variant), picture, left, top);
    }
}

}  // namespace

BlockRenderReport extractBlocks(ByteSpan data, const LevelPalette& palette,
                                const ChunkPixels& chunks, BlockPictures& out,
                                ProgressSink* progress, const BlockDrawn& drawn) {
    if (progress != nullptr) {
        progress->setCaption("Extracting 128x128 Tiles ...");
    }
    ArgbChunks argbChunks(chunks, palette);
    BlockRenderReport report;
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        const std::size_t start = static_cast<std::size_t>(b) * kBlockMappingBytes;
        const std::size_t available =
            data.size() > start ? std::min<std::size_t>(data.size() - start, kBlockMappingBytes)
                                : 0;
        if (available < kBlockMappingBytes) {
            ++report.blocksWithoutData;
        }
        const std::uint8_t* mappings = available > 0 ? data.data() + start : nullptr;
        Image& picture = out[static_cast<std::size_t>(b)];
        drawBlock(mappings, available, argbChunks, picture);
        if (drawn) {
            drawn(b, picture);
        }
        if (progress != nullptr) {
            progress->setBarWidth(barWidthRounded(b, kBlockCount - 1));
        }
    }
    return report;
}

}  // namespace orvex
