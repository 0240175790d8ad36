#pragma once

#include <cstdint>
#include <optional>

#include "rom/leveldirectory.h"
#include "rom/placements.h"

// The object types the game never draws in play: plane and pinball switches, invisible blocks,
// trigger and conveyor areas. What an editor can show of them is the area or the line their code
// acts on, taken from the placement's subtype and flips.

namespace orvex {

// A box, or a line when `left` == `right` (vertical) or `top` == `bottom` (horizontal), in level
// pixels relative to the placement's point; the far edges are included.
struct ObjectOutline {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const ObjectOutline&, const ObjectOutline&) = default;
    [[nodiscard]] bool isLine() const { return left == right || top == bottom; }
};

// Whether the game never draws objects of type `id` (their code never displays a sprite).
[[nodiscard]] bool neverDrawn(std::uint8_t id);

// The outline of `object` as it lies in `act`; none for a type the game draws, and for the
// subtypes of a never-drawn type whose area the game's tables do not give (a lava marker past
// subtype 2, a spin tube with low bits 3, rising lava of an odd subtype or past 8). Rising lava
// of subtype 8 has a sloped top; its outline is the box around the slope (+-$C0 x +-$2E).
[[nodiscard]] std::optional<ObjectOutline> objectOutline(ZoneAct act,
                                                         const ObjectPlacement& object);

}  // namespace orvex
