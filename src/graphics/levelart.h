#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/progress.h"
#include "document/levelparts.h"
#include "graphics/blocks.h"
#include "graphics/chunks.h"
#include "graphics/indexedimage.h"
#include "graphics/levelstart.h"
#include "graphics/tiles.h"
#include "graphics/videomemory.h"

namespace orvex {

// A level's art as the game shows it, drawn from its parts and what the game adds at level start:
// video memory and the chunk table as the game leaves them, the tile and chunk tables and the
// 256 block pictures in colour indices, with the colours they index above and below the water.
// A cache beside the level document, rebuilt from its parts and never edited itself. About
// 5.6 MiB; the editor keeps one for the whole run.
struct LevelArt {
    ColourTable colours{};                  // the palette on the shown frame
    std::optional<ColourTable> underwater;  // below the water line, for acts with water
    VideoMemory video;
    std::vector<std::uint8_t> chunkTable;   // chunk mappings as the game leaves them
    std::bitset<kBlockCount> hiddenBlocks;  // overwritten by the game: drawn empty
    TilePixels tiles;
    ChunkPixels chunks;
    BlockPictures blocks;
};

// Draws everything from `parts` and `start`: the colours, video memory, the tiles, the chunk
// table and chunks, then the blocks (progress and `drawn` as drawBlocks reports them). The tables
// start empty, so the pictures depend on these alone: where a block reaches past the chunks or
// tiles there are it shows colour 0.
void drawLevelArt(const LevelParts& parts, const LevelStart& start, LevelArt& art,
                  ProgressSink* progress = nullptr, const BlockDrawn& drawn = {});
// The same from the level's own streams alone, without what the game adds in code.
void drawLevelArt(const LevelParts& parts, LevelArt& art, ProgressSink* progress = nullptr,
                  const BlockDrawn& drawn = {});

// The blocks (below kBlockCount) with an entry whose chunk is marked in `chunks`, in order.
[[nodiscard]] std::vector<std::int32_t> blocksShowing(const MappingWords& blocks,
                                                      const std::bitset<kBaseChunks>& chunks);

// After the tiles `changed` of art.video changed: redraws those tiles, the chunks of the chunk
// table that show them and the blocks of `blocks` (mappings) that show those chunks. Returns the
// blocks redrawn, in order.
[[nodiscard]] std::vector<std::int32_t> redrawTiles(const MappingWords& blocks,
                                                    std::span<const std::int32_t> changed,
                                                    LevelArt& art);

// After the chunks `changed` of art.chunkTable changed: redraws those chunks and the blocks of
// `blocks` (mappings) that show them. Returns the blocks redrawn, in order.
[[nodiscard]] std::vector<std::int32_t> redrawChunks(const MappingWords& blocks,
                                                     std::span<const std::int32_t> changed,
                                                     LevelArt& art);

// After the mappings of blocks `changed` changed: redraws those of them the game does not
// overwrite. Returns the blocks redrawn, in order.
[[nodiscard]] std::vector<std::int32_t> redrawBlocks(const MappingWords& blocks,
                                                     std::span<const std::int32_t> changed,
                                                     LevelArt& art);

}  // namespace orvex
