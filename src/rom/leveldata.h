#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/blocks.h"
#include "graphics/chunks.h"
#include "graphics/palette.h"
#include "graphics/tiles.h"

namespace orvex {

// What the file held at the layout's place when the level was loaded or last saved, so a save
// can tell whether someone else changed the ROM in between.
struct LayoutSnapshot {
    std::int32_t layoutOffset = 0;
    std::vector<std::uint8_t> stream;  // the compressed layout as it was read or written
};

// The loaded level: palette, tiles, chunks, block pictures and the editable layout.
//
// The tile and chunk tables keep fixed sizes for the whole run and are zero at start; a level
// whose art covers fewer tiles or chunks than the previous one leaves the previous level's
// entries beyond its own data, as the game's art loader does.
//
// The layout is rows of 256 bytes; the cell at row r, column c is unpackedData[256 r + c] and
// holds a block number 0..255.
struct LevelData {
    std::int32_t paletteAddr = 0;
    LevelPalette levelPalette;
    TilePixels tilePixels;
    ChunkPixels chunkPixels;
    BlockPictures blockPictures;

    std::vector<std::uint8_t> unpackedData;  // the layout after a load
    std::int32_t packedLastIndex = -1;       // last index of the last stream read
    std::vector<std::uint8_t> packedData;    // the compressor's output while a save runs

    // The level index whose load completed, layout included. Empty before the first load and
    // after a load that failed or whose layout stream broke off: such a layout is never saved.
    std::optional<std::int16_t> loadedLevel;
    LayoutSnapshot snapshot;

    [[nodiscard]] std::int32_t unpackedLength() const {
        return static_cast<std::int32_t>(unpackedData.size());
    }
};

// The layout index of a cell: 256 row + column.
[[nodiscard]] constexpr std::int32_t layoutIndex(std::int32_t row, std::int32_t column) {
    return 256 * row + column;
}

}  // namespace orvex
