#pragma once

#include <cstdint>

#include "common/progress.h"
#include "document/levelparts.h"
#include "graphics/blocks.h"
#include "graphics/chunks.h"
#include "graphics/indexedimage.h"
#include "graphics/tiles.h"

namespace orvex {

// A level's art drawn from its parts: the tile and chunk tables and the 256 block pictures, in
// colour indices, with the colours they index. A cache beside the level document, rebuilt from
// its parts and never edited itself. About 5.5 MiB; the editor keeps one for the whole run.
struct LevelArt {
    ColourTable colours{};
    TilePixels tiles;
    ChunkPixels chunks;
    BlockPictures blocks;
};

// Draws everything from `parts`: the colours, the tiles, the chunks, then the blocks (progress
// and `drawn` as drawBlocks reports them). The tables start empty, so the pictures depend on
// these parts alone: where a block reaches past the level's own chunks or tiles it shows colour
// 0.
void drawLevelArt(const LevelParts& parts, LevelArt& art, ProgressSink* progress = nullptr,
                  const BlockDrawn& drawn = {});

}  // namespace orvex
