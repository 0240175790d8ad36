#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/error.h"
#include "rom/collision.h"
#include "rom/romprofile.h"

// The demo ROM's collision: an invented set of shapes made from drawn masks, and an index per
// zone and path, laid out as the game lays them out (the shape tables, then the indexes back to
// back) and shared between zones as the game shares them.

namespace orvex {

// Where the builder put one zone's indexes and what they decode to.
struct DemoCollisionIndex {
    std::int32_t offset = 0;
    std::int32_t length = 0;  // stream bytes, end marker included
    std::vector<std::uint8_t> shapes;
};

// Shape ids of the demo's set: 0 empty, 1 a full square, then floors, slopes and ceilings.
inline constexpr std::uint8_t kDemoFullShape = 1;
inline constexpr std::uint8_t kDemoShapeCount = 16;

// The demo's 256 shapes: kDemoShapeCount drawn ones, the rest empty.
[[nodiscard]] CollisionShapes demoShapes();

// Zone `zoneIndex`'s index on `path` for a zone of `chunkCount` chunks: the plain and frame
// chunks (0 to 4) full squares, the decorated ones a cycle of the drawn shapes that differs per
// path, chunks past the zone's none.
[[nodiscard]] std::vector<std::uint8_t> demoCollisionIndex(std::size_t zoneIndex,
                                                           std::int32_t chunkCount,
                                                           std::int32_t path);

// The zone whose indexes `zone` reads: EHZ and HTZ, CPZ and DEZ, WFZ and SCZ share a pair,
// MTZ, OOZ and MCZ one index for both paths, the zones without levels EHZ's; the others their
// own.
[[nodiscard]] std::uint8_t demoCollisionOwner(std::uint8_t zone);

// A zone of the demo as the collision builder needs it.
struct DemoCollisionZone {
    std::uint8_t zone = 0;
    std::int32_t chunkCount = 0;
};

// Writes the shape tables at the profile's place, every owning zone's indexes back to back
// after them, and both pointer tables. Per zone number: both paths' indexes. NoRoom when the
// indexes do not fit before `end`.
[[nodiscard]] Result<std::array<std::array<DemoCollisionIndex, kCollisionPaths>, kZoneCount>>
buildDemoCollision(std::vector<std::uint8_t>& image, const RomProfile& profile,
                   const std::vector<DemoCollisionZone>& zones, std::int32_t end);

}  // namespace orvex
