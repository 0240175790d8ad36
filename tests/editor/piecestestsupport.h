#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "editortestsupport.h"
#include "graphics/levelart.h"
#include "graphics/levelstart.h"

// Pieces of the demo level the piece editor tests edit: what the block in the map's top left
// cell shows, found in the level as the game draws it.

namespace orvex::test {

// Word `index` of the game's chunk table.
inline std::uint16_t tableWord(const std::vector<std::uint8_t>& table, std::int32_t index) {
    const auto at = static_cast<std::size_t>(index) * 2;
    return static_cast<std::uint16_t>((table.at(at) << 8) | table.at(at + 1));
}

// A tile of the level's own art that the corner block shows, as the game's chunk table has it;
// 0 when there is none.
inline std::int32_t shownTile(const EditorFixture& f) {
    const LevelParts& parts = f.window->session().document()->parts();
    const std::vector<std::uint8_t>& table = f.window->session().art().chunkTable;
    const std::vector<TileUse> uses = videoTileUses(parts, f.window->session().levelStart());
    const std::uint8_t block = f.layout().at(0);
    for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
        const std::int32_t chunk = parts.blocks.word(block * kBlockMappingWords + w) & 0x3FF;
        for (std::int32_t q = 0; q < kChunkMappingWords; ++q) {
            const auto index = chunk * kChunkMappingWords + q;
            if ((index + 1) * 2 > std::int32_t(table.size())) {
                continue;
            }
            const std::int32_t tile = tableWord(table, index) & 0x7FF;
            if (tile > 0 && tile < parts.tiles.completeTiles() &&
                uses[static_cast<std::size_t>(tile)] == TileUse::LevelArt) {
                return tile;
            }
        }
    }
    return 0;
}

// A chunk of the level's own that the corner block shows as the level stores it.
inline std::optional<std::int32_t> shownChunk(const EditorFixture& f) {
    const LevelParts& parts = f.window->session().document()->parts();
    const std::vector<std::uint8_t>& table = f.window->session().art().chunkTable;
    const std::uint8_t block = f.layout().at(0);
    for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
        const std::int32_t chunk = parts.blocks.word(block * kBlockMappingWords + w) & 0x3FF;
        const auto at = static_cast<std::size_t>(chunk * 8);
        if (chunk > 0 && (chunk + 1) * kChunkMappingWords <= parts.chunks.wordCount() &&
            at + 8 <= table.size() &&
            std::equal(table.begin() + at, table.begin() + at + 8,
                       parts.chunks.bytes.begin() + at)) {
            return chunk;
        }
    }
    return std::nullopt;
}

// A tile of the level's art whose pixels differ from those of `tile`.
inline std::int32_t otherTile(const EditorFixture& f, std::int32_t tile) {
    const LevelArt& art = f.window->session().art();
    const std::int32_t tiles = f.window->session().document()->parts().tiles.completeTiles();
    for (std::int32_t t = 1; t < tiles; ++t) {
        if (!std::equal(art.tiles.variant(t), art.tiles.variant(t) + 64, art.tiles.variant(tile))) {
            return t;
        }
    }
    return 0;
}

}  // namespace orvex::test
