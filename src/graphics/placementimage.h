#pragma once

#include <cstdint>

#include "document/levelparts.h"
#include "graphics/indexedimage.h"
#include "graphics/sprites.h"

// What is placed in a level, drawn into a picture of its foreground.

namespace orvex {

// Copies the opaque pixels of `sprite` into `picture` with the sprite's point at (x, y); what
// falls outside the picture is left out.
void drawSprite(IndexedImage& picture, const SpriteImage& sprite, std::int32_t x, std::int32_t y);

// Draws the level's rings and then its objects over `picture`, whose top left is the level's
// pixel (0, 0): each with its sprite, or where the zone has none, rings as a 16-pixel circle and
// objects as a 16-pixel square, in colour `marker`.
void drawPlacements(IndexedImage& picture, const LevelParts& parts, const LevelSprites& sprites,
                    std::uint8_t marker);

// A picture of one object type alone as `sprites` draw it, with a 4-pixel margin; null when the
// zone has no sprite for it.
[[nodiscard]] IndexedImage renderObjectType(const LevelSprites& sprites, std::uint8_t id,
                                            std::uint8_t subtype);

}  // namespace orvex
