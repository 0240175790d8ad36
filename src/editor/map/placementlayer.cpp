#include "editor/map/placementlayer.h"

#include <algorithm>

namespace orvex {

namespace {

// The items of `before` and `after` between their longest common start and end: an insert, a
// delete or a move in the middle of a list reaches only the items it touches, not the ones
// after it whose indices shift.
template <typename Item>
QRegion changedItems(const std::vector<Item>& before, const std::vector<Item>& after,
                     const std::function<QRect(const Item&)>& extent) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    QRegion region;
    for (std::size_t i = head; i + tail < before.size(); ++i) {
        region += extent(before[i]);
    }
    for (std::size_t i = head; i + tail < after.size(); ++i) {
        region += extent(after[i]);
    }
    return region;
}

template <typename Value, typename Area>
QRegion changedValue(const std::optional<Value>& before, const std::optional<Value>& after,
                     const std::function<Area(const Value&)>& extent) {
    QRegion region;
    if (before == after) {
        return region;
    }
    if (before) {
        region += extent(*before);
    }
    if (after) {
        region += extent(*after);
    }
    return region;
}

}  // namespace

void PlacementLayer::take(const LevelParts* parts) {
    mObjects = parts != nullptr ? parts->objects.value_or(std::vector<ObjectPlacement>{})
                                : std::vector<ObjectPlacement>{};
    mRings = parts != nullptr ? parts->rings.value_or(std::vector<RingGroup>{})
                              : std::vector<RingGroup>{};
    mStart = parts != nullptr ? parts->start : std::nullopt;
    mBounds = parts != nullptr ? parts->bounds : std::nullopt;
}

QRegion PlacementLayer::changed(const LevelParts& parts, const Extents& extents) {
    const std::vector<ObjectPlacement> objects =
        parts.objects.value_or(std::vector<ObjectPlacement>{});
    const std::vector<RingGroup> rings = parts.rings.value_or(std::vector<RingGroup>{});
    QRegion region = changedItems(mObjects, objects, extents.object);
    region += changedItems(mRings, rings, extents.rings);
    region += changedValue(mStart, parts.start, extents.start);
    region += changedValue(mBounds, parts.bounds, extents.bounds);
    take(&parts);
    return region;
}

}  // namespace orvex
