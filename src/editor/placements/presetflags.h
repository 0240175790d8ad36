#pragma once

#include <span>

#include "rom/placements.h"

namespace orvex {

// Gives `object` the flags the zone's own placements give its type: remember state as most of
// the zone's objects of its id have it (the game keeps a broken monitor or a beaten badnik
// gone only with that bit), and X and Y flip as most of those of its id and subtype have them.
// A flag the zone places no such object with stays as it is. `shown` and `others` are the
// objects of the act shown and of the zone's other act.
void takeZoneFlags(ObjectPlacement& object, std::span<const ObjectPlacement> shown,
                   std::span<const ObjectPlacement> others);

}  // namespace orvex
