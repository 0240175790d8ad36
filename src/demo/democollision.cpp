#include "demo/democollision.h"

#include <algorithm>
#include <string>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/collisiontables.h"

namespace orvex {

namespace {

constexpr std::int32_t kLast = kShapeSide - 1;

// A mask whose column x is solid from the bottom up to height(x) (0..16).
template <typename Height>
ShapeMask floorMask(Height height) {
    ShapeMask mask;
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        for (std::int32_t y = kShapeSide - height(x); y < kShapeSide; ++y) {
            mask.set(x, y, true);
        }
    }
    return mask;
}

// A mask whose column x is solid from the top down to depth(x) (0..15).
template <typename Depth>
ShapeMask ceilingMask(Depth depth) {
    ShapeMask mask;
    for (std::int32_t x = 0; x < kShapeSide; ++x) {
        for (std::int32_t y = 0; y < depth(x); ++y) {
            mask.set(x, y, true);
        }
    }
    return mask;
}

// The drawn shapes, in id order from 1.
std::vector<ShapeMask> drawnMasks() {
    return {
        floorMask([](std::int32_t) { return kShapeSide; }),  // 1 full
        floorMask([](std::int32_t) { return 2; }),           // 2-5 flat floors
        floorMask([](std::int32_t) { return 4; }),
        floorMask([](std::int32_t) { return 8; }),
        floorMask([](std::int32_t) { return 12; }),
        floorMask([](std::int32_t x) { return x + 1; }),           // 6 45 degrees up
        floorMask([](std::int32_t x) { return kShapeSide - x; }),  // 7 45 degrees down
        floorMask([](std::int32_t x) { return 1 + x / 2; }),       // 8-11 shallow slopes
        floorMask([](std::int32_t x) { return 9 + x / 2; }),
        floorMask([](std::int32_t x) { return 8 - x / 2; }),
        floorMask([](std::int32_t x) { return kShapeSide - x / 2; }),
        ceilingMask([](std::int32_t) { return 4; }),  // 12-13 flat ceilings
        ceilingMask([](std::int32_t) { return 8; }),
        ceilingMask([](std::int32_t x) { return x; }),  // 14-15 sloped ceilings
        ceilingMask([](std::int32_t x) { return kLast - x; }),
    };
}

// What the decorated chunks cycle through: mostly ground, some air, a few ceilings.
constexpr std::array<std::uint8_t, 13> kDecorCycle = {1, 3, 6, 0, 8, 9, 1, 7, 4, 10, 12, 11, 2};

Result<std::vector<std::uint8_t>> packIndex(const std::vector<std::uint8_t>& index) {
    auto packed = compressKosinskiOptimal(index);
    if (!packed) {
        return packed.error();
    }
    packed->pop_back();  // the 0x00 a save pads with
    return std::move(*packed);
}

bool owns(std::uint8_t zone) {
    return demoCollisionOwner(zone) == zone;
}

// Whether the zone's two paths read one index.
bool oneIndex(std::uint8_t zone) {
    return zoneSharesIndex(demoCollisionOwner(zone));
}

}  // namespace

CollisionShapes demoShapes() {
    CollisionShapes shapes;
    const std::vector<ShapeMask> masks = drawnMasks();
    for (std::size_t i = 0; i < masks.size(); ++i) {
        shapes.shapes[i + 1] = shapeFromMask(masks[i]);
    }
    return shapes;
}

std::vector<std::uint8_t> demoCollisionIndex(std::size_t zoneIndex, std::int32_t chunkCount,
                                             std::int32_t path) {
    std::vector<std::uint8_t> index(kCollisionIndexSize, 0);
    const std::int32_t chunks = std::min(chunkCount, kCollisionIndexSize);
    for (std::int32_t c = 0; c < chunks; ++c) {
        const auto turn =
            static_cast<std::size_t>(c) + zoneIndex + 5 * static_cast<std::size_t>(path);
        index[static_cast<std::size_t>(c)] =
            c <= 4 ? kDemoFullShape : kDecorCycle[turn % kDecorCycle.size()];
    }
    return index;
}

std::uint8_t demoCollisionOwner(std::uint8_t zone) {
    switch (zone) {
        case 7:  // Hill Top reads Emerald Hill's pair
        case 1:
        case 3:
        case 8:
        case 9:
            return 0;
        case 14:  // Death Egg reads Chemical Plant's
            return 13;
        case 16:  // Sky Chase reads Wing Fortress's
            return 6;
        case 10:  // Oil Ocean and Mystic Cave read Metropolis's one index
        case 11:
            return 4;
        default:
            return zone;
    }
}

Result<std::array<std::array<DemoCollisionIndex, kCollisionPaths>, kZoneCount>> buildDemoCollision(
    std::vector<std::uint8_t>& image, const RomProfile& profile,
    const std::vector<DemoCollisionZone>& zones, std::int32_t end) {
    const std::int32_t shapesAt = *profile.collisionShapes;
    const auto tables = shapeBytes(demoShapes());
    std::copy(tables.begin(), tables.end(), image.begin() + shapesAt);
    std::array<std::array<DemoCollisionIndex, kCollisionPaths>, kZoneCount> placed{};
    std::int32_t cursor = shapesAt + kShapeTablesSize;
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const std::uint8_t zone = zones[i].zone;
        if (!owns(zone)) {
            continue;
        }
        for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
            DemoCollisionIndex& index = placed[zone][static_cast<std::size_t>(path)];
            if (path == 1 && oneIndex(zone)) {
                index = placed[zone][0];
                continue;
            }
            index.shapes = demoCollisionIndex(i, zones[i].chunkCount, path);
            auto packed = packIndex(index.shapes);
            if (!packed) {
                return packed.error();
            }
            index.offset = cursor;
            index.length = static_cast<std::int32_t>(packed->size());
            if (cursor + index.length > end) {
                return makeError(ErrorCode::NoRoom,
                                 "The demo's collision indexes run past " + hexOffset(end));
            }
            std::copy(packed->begin(), packed->end(), image.begin() + cursor);
            cursor += index.length + index.length % 2;
        }
    }
    for (std::uint8_t zone = 0; zone < kZoneCount; ++zone) {
        placed[zone] = placed[demoCollisionOwner(zone)];
        for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
            putLong(
                image, static_cast<std::size_t>(*collisionPointerOffset(profile, path, zone)),
                static_cast<std::uint32_t>(placed[zone][static_cast<std::size_t>(path)].offset));
        }
    }
    return placed;
}

}  // namespace orvex
