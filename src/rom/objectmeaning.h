#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "rom/leveldirectory.h"
#include "rom/placements.h"

// What a placement's subtype (and, where the game reads them with it, its flips, zone and act)
// tells an object's code to do, in words for people: "Yellow spring, pointing left".

namespace orvex {

// A short phrase for the subtype of `object` as it lies in `act`; empty for a type whose
// subtype the editor knows no meaning for, and for values the game's tables do not cover
// (a spring direction past 4, a spike frame past 7). Sizes and distances are in pixels.
[[nodiscard]] std::string subtypeMeaning(ZoneAct act, const ObjectPlacement& object);

// Where a Chemical Plant, Oil Ocean or Wing Fortress platform (object 19) stands at level start,
// from its placement: the movement type t (the subtype's low nibble) and the X flip set it. None
// for the types whose start is not known.
[[nodiscard]] std::optional<std::pair<std::int32_t, std::int32_t>> zonePlatformStart(std::int32_t t,
                                                                                     bool xFlip);

}  // namespace orvex
