#include "rom/placements.h"

#include <algorithm>

namespace orvex {

namespace {

void putWordTo(std::vector<std::uint8_t>& bytes, std::uint16_t word) {
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

ObjectPlacement objectAt(ByteSpan image, std::size_t at) {
    const auto second = static_cast<std::uint16_t>(image[at + 2] << 8 | image[at + 3]);
    ObjectPlacement object;
    object.x = static_cast<std::uint16_t>(image[at] << 8 | image[at + 1]);
    object.y = static_cast<std::uint16_t>(second & 0x0FFF);
    object.rememberState = (second & 0x8000) != 0;
    object.yFlip = (second & 0x4000) != 0;
    object.xFlip = (second & 0x2000) != 0;
    object.twoPlayer = (second & 0x1000) != 0;
    object.id = image[at + 4];
    object.subtype = image[at + 5];
    return object;
}

std::uint16_t objectFlags(const ObjectPlacement& object) {
    return static_cast<std::uint16_t>((object.rememberState ? 0x8000 : 0) |
                                      (object.yFlip ? 0x4000 : 0) | (object.xFlip ? 0x2000 : 0) |
                                      (object.twoPlayer ? 0x1000 : 0) | (object.y & 0x0FFF));
}

void putMarker(std::vector<std::uint8_t>& bytes) {
    putWordTo(bytes, kListEnd);
    putWordTo(bytes, 0);
    putWordTo(bytes, 0);
}

}  // namespace

Result<std::vector<ObjectPlacement>> readObjectList(ByteSpan image, std::int64_t start) {
    std::vector<ObjectPlacement> objects;
    for (std::int64_t at = start;; at += kObjectBytes) {
        auto x = readWord(image, at);
        if (!x) {
            return x.error();
        }
        if (*x == kListEnd) {
            return objects;
        }
        if (!fitsIn(image.size(), at, kObjectBytes)) {
            return readPastEnd(at, kObjectBytes);
        }
        objects.push_back(objectAt(image, static_cast<std::size_t>(at)));
    }
}

std::vector<std::uint8_t> objectListBytes(std::vector<ObjectPlacement> objects) {
    std::stable_sort(objects.begin(), objects.end(),
                     [](const ObjectPlacement& a, const ObjectPlacement& b) { return a.x < b.x; });
    std::vector<std::uint8_t> bytes;
    putMarker(bytes);
    for (const ObjectPlacement& object : objects) {
        putWordTo(bytes, object.x);
        putWordTo(bytes, objectFlags(object));
        bytes.push_back(object.id);
        bytes.push_back(object.subtype);
    }
    putMarker(bytes);
    return bytes;
}

Result<std::vector<RingGroup>> readRingList(ByteSpan image, std::int64_t start) {
    std::vector<RingGroup> groups;
    for (std::int64_t at = start;; at += kRingGroupBytes) {
        auto x = readWord(image, at);
        if (!x) {
            return x.error();
        }
        if ((*x & 0x8000) != 0) {
            return groups;
        }
        auto second = readWord(image, at + 2);
        if (!second) {
            return second.error();
        }
        groups.push_back({*x, static_cast<std::uint16_t>(*second & 0x0FFF),
                          static_cast<std::uint8_t>(((*second >> 12) & 7) + 1),
                          (*second & 0x8000) != 0});
    }
}

std::vector<std::uint8_t> ringListBytes(const std::vector<RingGroup>& groups) {
    std::vector<std::uint8_t> bytes;
    for (const RingGroup& group : groups) {
        putWordTo(bytes, group.x);
        const auto count = static_cast<std::uint16_t>(std::clamp<int>(group.count, 1, 8) - 1);
        putWordTo(bytes, static_cast<std::uint16_t>((group.column ? 0x8000 : 0) | (count << 12) |
                                                    (group.y & 0x0FFF)));
    }
    putWordTo(bytes, kListEnd);
    return bytes;
}

Result<std::int32_t> placementListAddress(ByteSpan image, std::int32_t directory, ZoneAct act) {
    auto word = readWord(image, std::int64_t{directory} + directoryWordOffset(act));
    if (!word) {
        return word.error();
    }
    const auto offset = static_cast<std::int16_t>(*word);
    return directory + offset;
}

std::vector<std::int32_t> placementListAddresses(ByteSpan image, std::int32_t directory) {
    std::vector<std::int32_t> lists;
    for (std::uint8_t zone = 0; zone < kZoneCount; ++zone) {
        for (std::uint8_t act = 0; act < 2; ++act) {
            if (auto list = placementListAddress(image, directory, {zone, act})) {
                lists.push_back(*list);
            }
        }
    }
    return lists;
}

namespace {

// Whether the six bytes before `start` are a marker that a list's end marker may overwrite with
// the same bytes.
bool markerBefore(ByteSpan image, std::int32_t start) {
    const std::int64_t at = std::int64_t{start} - kObjectMarkerBytes;
    if (at < 0 || !fitsIn(image.size(), at, kObjectMarkerBytes)) {
        return false;
    }
    return *readWord(image, at) == kListEnd && *readWord(image, at + 2) == 0 &&
           *readWord(image, at + 4) == 0;
}

}  // namespace

ListPlace placementListPlace(ByteSpan image, std::int32_t directory, PlacementList kind,
                             std::int32_t start) {
    const bool objects = kind == PlacementList::Objects;
    const std::int32_t from = objects ? start - kObjectMarkerBytes : start;
    std::optional<std::int64_t> end;
    const auto bound = [&end](std::int64_t at) { end = end ? std::min(*end, at) : at; };
    if (directory >= start) {
        bound(directory);
    }
    for (const std::int32_t other : placementListAddresses(image, directory)) {
        if (other <= start) {
            continue;
        }
        const bool shared = objects && markerBefore(image, other);
        bound(objects && !shared ? std::int64_t{other} - kObjectMarkerBytes : other);
    }
    if (!end) {
        return {from, std::nullopt};
    }
    return {from, *end - from};
}

std::optional<std::uint16_t> readWaterHeight(ByteSpan image, const RomProfile& profile,
                                             ZoneAct act) {
    if (!hasWater(act) || !profile.waterHeights) {
        return std::nullopt;
    }
    auto height = readWord(image, waterHeightOffset(*profile.waterHeights, act));
    return height ? std::optional<std::uint16_t>(*height) : std::nullopt;
}

}  // namespace orvex
