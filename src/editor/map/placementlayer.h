#pragma once

#include <QRect>
#include <QRegion>
#include <functional>
#include <optional>
#include <vector>

#include "document/levelparts.h"

namespace orvex {

// The placements as the map last drew them (objects, ring groups, the start position and the
// boundaries), kept to find what an edit, its undo or its redo changed on screen: the old place
// and the new place of each placement that differs, and nothing else.
class PlacementLayer {
public:
    // Where the canvas draws each kind of placement, in its own pixels, everything a placement
    // shows included (its sprite or marker, labels, the selection frame).
    struct Extents {
        std::function<QRect(const ObjectPlacement&)> object;
        std::function<QRect(const RingGroup&)> rings;
        std::function<QRect(const StartPosition&)> start;
        std::function<QRegion(const LevelBounds&)> bounds;
    };

    // The placements now drawn are `parts`' (none: nothing drawn).
    void take(const LevelParts* parts);
    // The region of the canvas to draw again for the placements to show `parts`, where they
    // were drawn and where they now lie; `parts` are then the ones drawn.
    [[nodiscard]] QRegion changed(const LevelParts& parts, const Extents& extents);

private:
    std::vector<ObjectPlacement> mObjects;
    std::vector<RingGroup> mRings;
    std::optional<StartPosition> mStart;
    std::optional<LevelBounds> mBounds;
};

}  // namespace orvex
