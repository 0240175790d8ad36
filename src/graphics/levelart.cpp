#include "graphics/levelart.h"

#include "graphics/palette.h"

namespace orvex {

void drawLevelArt(const LevelParts& parts, LevelArt& art, ProgressSink* progress,
                  const BlockDrawn& drawn) {
    art.colours = levelColours(parts.palette);
    art.tiles.clear();
    art.chunks.clear();
    extractTiles(parts.tiles.bytes, art.tiles, progress);
    extractChunks(parts.chunks.bytes, art.tiles, art.chunks, progress);
    drawBlocks(parts.blocks.bytes, art.chunks, art.blocks, progress, drawn);
}

}  // namespace orvex
