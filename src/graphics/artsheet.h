#pragma once

#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "document/levelparts.h"
#include "graphics/indexedimage.h"

// Sheets of a level's tiles, chunks and blocks as pictures, 16 a row, and tile art read back
// from a sheet of tiles.

namespace orvex {

inline constexpr std::int32_t kArtSheetColumns = 16;

// The tiles of `art` (32 bytes a tile; a partial last tile is left out), 16 a row, each pixel
// its colour index 0..15. Null for art without a whole tile.
[[nodiscard]] IndexedImage tileSheet(ByteSpan art);

// The chunks, or the blocks, of `parts` as the level's tiles and mappings draw them, 16 a row,
// each pixel an index into the level's 64 colours (16 line + colour). Null without a whole one.
[[nodiscard]] IndexedImage chunkSheet(const LevelParts& parts);
[[nodiscard]] IndexedImage blockSheet(const LevelParts& parts);

// The tiles of a sheet, in sheet order (width / 8 a row, rows top to bottom), 32 bytes each.
// OutOfRange for a side that is not a multiple of 8, or naming the first pixel (in rows from
// the top) whose index is 16 or more: "pixel (17, 3) has index 18; tiles use indices 0 to 15".
[[nodiscard]] Result<std::vector<std::uint8_t>> sheetTiles(const IndexedImage& sheet);

// The art `art` with `tiles` written from tile `first` on, growing it where they reach past its
// end; whole blank tiles at the end of `tiles` that would lie past the art's end are left out
// (a sheet's last row is filled up with them).
[[nodiscard]] std::vector<std::uint8_t> placeTiles(ByteSpan art, std::int32_t first,
                                                   ByteSpan tiles);

}  // namespace orvex
