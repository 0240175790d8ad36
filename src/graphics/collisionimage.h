#pragma once

#include <cstdint>
#include <span>

#include "document/levelparts.h"

// The ground of a block as the game meets it on one collision path.

namespace orvex {

// How a pixel of ground is solid: not, from the top only, from the left, right and bottom
// only, or from every side.
enum class Solidity : std::uint8_t { None, Top, SidesAndBottom, All };

// Draws block `block`'s ground on `path` (0 or 1) into `out`, 128 x 128 bytes row by row: for
// each chunk entry, the chunk's shape on that path (from the zone's index) with the entry's X
// and Y flips, marked where solid with the entry's solidity for the path (bits 12/13 for path 1,
// 14/15 for path 2: top, then left-right-bottom), as a Solidity value; everything else None.
// Entries past the block mappings, chunks past the index and levels without shape tables draw
// nothing. `out` must hold kBlockSize * kBlockSize bytes.
void drawBlockCollision(const LevelParts& parts, std::int32_t block, std::int32_t path,
                        std::span<std::uint8_t> out);

}  // namespace orvex
