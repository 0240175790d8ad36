#pragma once

namespace orvex {

// The two kinds of placement the placement tools select and move.
enum class PlacementKind { Objects, Rings };

}  // namespace orvex
