#include "rom/room.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romcheck.h"

namespace orvex {

namespace {

// Where every stream and table the profile knows of begins: the level art streams, the collision
// indexes, the layout directory and the profile's tables. A stream's room ends at the first of
// these after it.
std::vector<std::int64_t> knownStarts(ByteSpan rom, const RomProfile& profile) {
    std::vector<std::int64_t> starts;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        for (const std::int16_t increment : kArtIncrements) {
            if (auto entry = getDataAddr(rom, profile, level, increment)) {
                starts.push_back(artOffset(*entry));
            }
        }
    }
    for (const std::int32_t index : collisionIndexAddresses(rom, profile)) {
        starts.push_back(index);
    }
    if (auto directory = layoutDirectory(rom, profile)) {
        starts.push_back(*directory);
    }
    for (const TableId table : allTables()) {
        if (const auto offset = tableOffset(profile, table)) {
            starts.push_back(*offset);
        }
    }
    // Moved object lists may lie before their directory; each begins with its lead marker.
    if (profile.objectDirectory) {
        for (const std::int32_t list : placementListAddresses(rom, *profile.objectDirectory)) {
            starts.push_back(std::int64_t{list} - kObjectMarkerBytes);
        }
    }
    if (profile.ringDirectory) {
        for (const std::int32_t list : placementListAddresses(rom, *profile.ringDirectory)) {
            starts.push_back(list);
        }
    }
    return starts;
}

// The length of the stream at `start` as it is now, end marker included.
Result<std::int64_t> currentLength(ByteSpan rom, std::int32_t start) {
    auto current = decompressKosinski(rom, start);
    if (!current) {
        return current.error();
    }
    return std::int64_t{current->packedLastIndex} + 1;
}

// The room of a layout whose directory is not the migration's, measured from the file: up to
// the next layout or other known stream or table; the layout that comes last keeps the length
// of the stream there now, since whatever follows it is unknown.
Result<std::int64_t> measuredRoom(ByteSpan rom, const RomProfile& profile, std::int32_t start) {
    bool layoutFollows = false;
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        auto otherStart = layoutAddress(rom, profile, other);
        if (!otherStart) {
            return otherStart.error();
        }
        if (*otherStart > start) {
            layoutFollows = true;
            next = std::min<std::int64_t>(next, *otherStart);
        }
    }
    if (!layoutFollows) {
        return currentLength(rom, start);
    }
    for (const std::int64_t other : knownStarts(rom, profile)) {
        if (other > start) {
            next = std::min(next, other);
        }
    }
    return next - start;
}

// The last slot of migrated layouts may grow up to 4 MiB, or up to what was appended after it
// (the object and ring lists, when they were moved after the migration).
std::int64_t lastSlotRoom(ByteSpan rom, const RomProfile& profile, std::int32_t start) {
    std::int64_t next = kCartridgeSpace;
    for (const std::int64_t other : knownStarts(rom, profile)) {
        if (other > start) {
            next = std::min(next, other);
        }
    }
    return next - start;
}

}  // namespace

Result<std::int64_t> layoutRoom(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto start = layoutAddress(rom, profile, level);
    if (!start) {
        return start.error();
    }
    if (layoutsMigrated(rom, profile)) {
        if (level == kLevelCount - 1) {
            return lastSlotRoom(rom, profile, *start);
        }
        return std::int64_t{kLayoutSlotSize};
    }
    return measuredRoom(rom, profile, *start);
}

Result<std::int64_t> collisionIndexRoom(ByteSpan rom, const RomProfile& profile,
                                        std::int32_t offset) {
    const std::vector<std::int32_t> indexes = collisionIndexAddresses(rom, profile);
    const bool followed = std::any_of(indexes.begin(), indexes.end(),
                                      [offset](std::int32_t index) { return index > offset; });
    return followed ? artRoom(rom, profile, offset) : currentLength(rom, offset);
}

Result<std::int64_t> artRoom(ByteSpan rom, const RomProfile& profile, std::int32_t offset) {
    std::vector<std::int64_t> starts = knownStarts(rom, profile);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        if (auto layout = layoutAddress(rom, profile, level)) {
            starts.push_back(*layout);
        }
    }
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (const std::int64_t start : starts) {
        if (start > offset) {
            next = std::min(next, start);
        }
    }
    if (next == std::numeric_limits<std::int64_t>::max()) {
        return currentLength(rom, offset);
    }
    return next - offset;
}

}  // namespace orvex
