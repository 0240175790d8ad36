#pragma once

#include <cstdint>
#include <span>

#include "document/layout.h"
#include "document/levelparts.h"
#include "graphics/indexedimage.h"

// The ground as the game meets it, drawn per block: for each chunk entry of a block, the chunk's
// collision shape on one path (with the entry's flips), where the entry's solidity bits for that
// path make it solid.

namespace orvex {

// What a pixel of a collision picture holds.
enum class CollisionSolidity : std::uint8_t {
    None = 0,
    Top = 1,             // met from above only
    SidesAndBottom = 2,  // met from the sides and below only
    All = 3,
};

inline constexpr std::int32_t kCollisionBlockSide = 128;

// Draws block `block`'s collision on `path` (0 primary, 1 secondary) into `out`, 128 x 128
// values row by row (at least kCollisionBlockSide squared of them; nothing is written past
// that), each a CollisionSolidity. Pixels nothing solid covers are set to None. Block words past
// the mappings, chunks past the path's index and a level without shapes draw nothing.
void drawBlockCollision(const LevelParts& parts, std::int32_t block, std::int32_t path,
                        std::span<std::uint8_t> out);

// Draws the collision of one plane of the layout over `picture` (a renderPlane picture of the
// same layout): a pixel with solidity s takes colour `firstColour` + s - 1; others keep theirs.
void drawPlaneCollision(const LevelParts& parts, Plane plane, std::int32_t path,
                        std::uint8_t firstColour, IndexedImage& picture);

}  // namespace orvex
