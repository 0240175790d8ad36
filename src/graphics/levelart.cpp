#include "graphics/levelart.h"

#include "graphics/palette.h"

namespace orvex {

namespace {

constexpr std::size_t kChunkWordBytes = 2 * static_cast<std::size_t>(kChunkMappingWords);

void drawVisibleBlocks(const LevelParts& parts, LevelArt& art, ProgressSink* progress,
                       const BlockDrawn& drawn) {
    drawBlocks(parts.blocks.bytes, art.chunks, art.blocks, progress, [&](std::int32_t block) {
        if (art.hiddenBlocks.test(static_cast<std::size_t>(block))) {
            clearBlock(block, art.blocks);
        }
        if (drawn) {
            drawn(block);
        }
    });
}

// The base tile a chunk mapping word shows.
std::int32_t tileOf(std::uint8_t high, std::uint8_t low) {
    return ((high & 0x07) << 8) | low;
}

std::vector<std::int32_t> chunksShowing(const std::vector<std::uint8_t>& table,
                                        const std::bitset<kBaseTiles>& tiles) {
    std::vector<std::int32_t> chunks;
    for (std::size_t c = 0; (c + 1) * kChunkWordBytes <= table.size(); ++c) {
        for (std::size_t q = 0; q < kChunkWordBytes; q += 2) {
            const std::size_t at = c * kChunkWordBytes + q;
            if (tiles.test(static_cast<std::size_t>(tileOf(table[at], table[at + 1])))) {
                chunks.push_back(static_cast<std::int32_t>(c));
                break;
            }
        }
    }
    return chunks;
}

}  // namespace

void drawLevelArt(const LevelParts& parts, const LevelStart& start, LevelArt& art,
                  ProgressSink* progress, const BlockDrawn& drawn) {
    art.colours = levelColours(shownPalette(parts.palette, start));
    art.underwater.reset();
    if (start.underwater) {
        art.underwater = levelColours(*start.underwater);
    }
    composeVideo(parts.tiles, start, art.video);
    art.chunkTable = composeChunks(parts.chunks, start);
    art.hiddenBlocks = start.hiddenBlocks;
    art.tiles.clear();
    art.chunks.clear();
    extractTiles(art.video.bytes, art.tiles, progress);
    extractChunks(art.chunkTable, art.tiles, art.chunks, progress);
    drawVisibleBlocks(parts, art, progress, drawn);
}

void drawLevelArt(const LevelParts& parts, LevelArt& art, ProgressSink* progress,
                  const BlockDrawn& drawn) {
    drawLevelArt(parts, LevelStart{}, art, progress, drawn);
}

std::vector<std::int32_t> blocksShowing(const MappingWords& blocks,
                                        const std::bitset<kBaseChunks>& chunks) {
    std::vector<std::int32_t> shown;
    const std::int32_t words = std::min(blocks.wordCount(), kBlockCount * kBlockMappingWords);
    for (std::int32_t b = 0; b * kBlockMappingWords < words; ++b) {
        const std::int32_t end = std::min(words, (b + 1) * kBlockMappingWords);
        for (std::int32_t w = b * kBlockMappingWords; w < end; ++w) {
            if (chunks.test(blocks.word(w) & 0x3FF)) {
                shown.push_back(b);
                break;
            }
        }
    }
    return shown;
}

std::vector<std::int32_t> redrawTiles(const MappingWords& blocks,
                                      std::span<const std::int32_t> changed, LevelArt& art) {
    std::bitset<kBaseTiles> tiles;
    for (const std::int32_t tile : changed) {
        if (tile >= 0 && tile < kBaseTiles) {
            tiles.set(static_cast<std::size_t>(tile));
            extractTile(art.video.bytes, tile, art.tiles);
        }
    }
    const std::vector<std::int32_t> chunks = chunksShowing(art.chunkTable, tiles);
    return redrawChunks(blocks, chunks, art);
}

std::vector<std::int32_t> redrawChunks(const MappingWords& blocks,
                                       std::span<const std::int32_t> changed, LevelArt& art) {
    std::bitset<kBaseChunks> chunks;
    for (const std::int32_t chunk : changed) {
        if (chunk >= 0 && chunk < kBaseChunks) {
            chunks.set(static_cast<std::size_t>(chunk));
            extractChunk(art.chunkTable, chunk, art.tiles, art.chunks);
        }
    }
    const std::vector<std::int32_t> shown = blocksShowing(blocks, chunks);
    return redrawBlocks(blocks, shown, art);
}

std::vector<std::int32_t> redrawBlocks(const MappingWords& blocks,
                                       std::span<const std::int32_t> changed, LevelArt& art) {
    std::vector<std::int32_t> redrawn;
    for (const std::int32_t block : changed) {
        if (block >= 0 && block < kBlockCount &&
            !art.hiddenBlocks.test(static_cast<std::size_t>(block))) {
            drawBlock(blocks.bytes, block, art.chunks, art.blocks);
            redrawn.push_back(block);
        }
    }
    return redrawn;
}

}  // namespace orvex
