#include "editor/placements/presetflags.h"

#include <cstdint>

namespace orvex {

namespace {

struct FlagCounts {
    std::int32_t ofId = 0;
    std::int32_t remembered = 0;
    std::int32_t ofSubtype = 0;
    std::int32_t xFlipped = 0;
    std::int32_t yFlipped = 0;

    void count(const ObjectPlacement& model, std::span<const ObjectPlacement> objects) {
        for (const ObjectPlacement& placed : objects) {
            if (placed.id != model.id) {
                continue;
            }
            ++ofId;
            remembered += placed.rememberState ? 1 : 0;
            if (placed.subtype == model.subtype) {
                ++ofSubtype;
                xFlipped += placed.xFlip ? 1 : 0;
                yFlipped += placed.yFlip ? 1 : 0;
            }
        }
    }
};

bool most(std::int32_t part, std::int32_t whole) {
    return 2 * part > whole;
}

}  // namespace

void takeZoneFlags(ObjectPlacement& object, std::span<const ObjectPlacement> shown,
                   std::span<const ObjectPlacement> others) {
    FlagCounts counts;
    counts.count(object, shown);
    counts.count(object, others);
    if (counts.ofId > 0) {
        object.rememberState = most(counts.remembered, counts.ofId);
    }
    if (counts.ofSubtype > 0) {
        object.xFlip = most(counts.xFlipped, counts.ofSubtype);
        object.yFlip = most(counts.yFlipped, counts.ofSubtype);
    }
}

}  // namespace orvex
