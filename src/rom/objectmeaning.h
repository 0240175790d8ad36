#pragma once

#include <string>

#include "rom/leveldirectory.h"
#include "rom/placements.h"

// What a placement's subtype (and, where the game reads them with it, its flips, zone and act)
// tells an object's code to do, in words for people: "Yellow spring, pointing left".

namespace orvex {

// A short phrase for the subtype of `object` as it lies in `act`; empty for a type whose
// subtype the editor knows no meaning for, and for values the game's tables do not cover
// (a spring direction past 4, a spike frame past 7). Sizes and distances are in pixels.
[[nodiscard]] std::string subtypeMeaning(ZoneAct act, const ObjectPlacement& object);

}  // namespace orvex
