#include "graphics/chunks.h"

#include <algorithm>

#include "graphics/mirroring.h"

namespace orvex {
namespace {

constexpr auto kSide = static_cast<std::size_t>(kChunkSide);
constexpr auto kWordsPerChunk = static_cast<std::size_t>(kChunkMappingWords);
constexpr auto kMappingWords = static_cast<std::size_t>(kChunkMappingsLimit);

void reportChunk(ProgressSink* progress, std::int32_t variant) {
    if (progress != nullptr) {
        progress->progress(Stage::Chunks, variant + 1, kChunkVariants);
    }
}

// Draws the tile variant a pattern word names into one 8x8 quarter of a chunk; `to` is the
// quarter's top-left pixel.
void drawQuarter(std::uint8_t hi, std::uint8_t lo, const TilePixels& tiles, std::uint8_t* to) {
    const auto line = static_cast<std::uint8_t>(((hi & 0x7F) >> 5) * kLineColours);
    const std::int32_t variant = (hi & 0x1F) * 256 + lo;
    const std::uint8_t* tile = tiles.variant(variant);
    for (std::size_t y = 0; y < 8; ++y) {
        std::uint8_t* row = to + kSide * y;
        for (std::size_t x = 0; x < 8; ++x) {
            row[x] = static_cast<std::uint8_t>(line | tile[8 * y + x]);
        }
    }
}

// Word j of the mappings is quarter j % 4 (top-left, top-right, bottom-left, bottom-right) of
// chunk j / 4. Stops at the first word that is not complete; reports after every complete
// chunk.
void decodeBaseChunks(ByteSpan data, const TilePixels& tiles, ChunkPixels& chunks,
                      ProgressSink* progress) {
    const std::size_t words = std::min(data.size() / 2, kMappingWords);
    for (std::size_t j = 0; j < words; ++j) {
        const std::size_t chunk = j / kWordsPerChunk;
        const std::size_t quarterRow = (j / 2) % 2;
        const std::size_t quarterColumn = j % 2;
        std::uint8_t* to = chunks.variant(static_cast<std::int32_t>(chunk)) +
                           8 * kSide * quarterRow + 8 * quarterColumn;
        drawQuarter(data[2 * j], data[2 * j + 1], tiles, to);
        if (j % kWordsPerChunk == kWordsPerChunk - 1) {
            reportChunk(progress, static_cast<std::int32_t>(chunk));
        }
    }
}

}  // namespace

void extractChunks(ByteSpan data, const TilePixels& tiles, ChunkPixels& chunks,
                   ProgressSink* progress) {
    if (progress != nullptr) {
        progress->progress(Stage::Chunks, 0, kChunkVariants);
    }
    decodeBaseChunks(data, tiles, chunks, progress);
    buildMirroredVariants<kSide>(chunks, kBaseChunks,
                                 [progress](std::int32_t v) { reportChunk(progress, v); });
}

void extractChunk(ByteSpan data, std::int32_t chunk, const TilePixels& tiles, ChunkPixels& chunks) {
    const std::size_t first = static_cast<std::size_t>(chunk) * kWordsPerChunk;
    if (chunk < 0 || chunk >= kBaseChunks || 2 * (first + kWordsPerChunk) > data.size()) {
        return;
    }
    for (std::size_t q = 0; q < kWordsPerChunk; ++q) {
        std::uint8_t* to = chunks.variant(chunk) + 8 * kSide * (q / 2) + 8 * (q % 2);
        drawQuarter(data[2 * (first + q)], data[2 * (first + q) + 1], tiles, to);
    }
    buildMirroredVariantsOf<kSide>(chunks, kBaseChunks, chunk);
}

}  // namespace orvex
