#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/leveldirectory.h"
#include "rom/romprofile.h"
#include "rom/zones.h"

// What is placed in a level besides its layout: objects, rings, the player's start position and
// the camera's boundaries, in the formats the game reads them.

namespace orvex {

inline constexpr std::int32_t kObjectBytes = 6;
inline constexpr std::int32_t kRingGroupBytes = 4;
inline constexpr std::uint16_t kListEnd = 0xFFFF;
inline constexpr std::int32_t kMaxRingsInGroup = 8;
inline constexpr std::int32_t kRingSpacing = 0x18;
inline constexpr std::int32_t kMaxRememberedObjects = 127;  // the state table's room in an act
inline constexpr std::int32_t kMaxRings = 254;              // rings in an act, groups expanded

// One object: word x; word with bit 15 remember state, bit 14 Y flip, bit 13 X flip, bit 12 the
// two-player flag and bits 0-11 y; byte id; byte subtype.
struct ObjectPlacement {
    std::uint16_t x = 0;
    std::uint16_t y = 0;  // 0..0xFFF
    std::uint8_t id = 0;
    std::uint8_t subtype = 0;
    bool xFlip = false;
    bool yFlip = false;
    bool rememberState = false;
    bool twoPlayer = false;
    friend bool operator==(const ObjectPlacement&, const ObjectPlacement&) = default;
};

// A row or column of 1 to 8 rings, $18 pixels apart: word x; word with bit 15 column (else
// row), bits 12-14 count - 1 and bits 0-11 y.
struct RingGroup {
    std::uint16_t x = 0;
    std::uint16_t y = 0;  // 0..0xFFF
    std::uint8_t count = 1;
    bool column = false;
    friend bool operator==(const RingGroup&, const RingGroup&) = default;
};

// Where ring `ring` (0 .. count - 1) of a group lies: $18 pixels on from the group's point,
// down a column or along a row.
struct RingPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
[[nodiscard]] constexpr RingPoint ringPoint(const RingGroup& group, std::int32_t ring) {
    const std::int32_t step = kRingSpacing * ring;
    return {group.x + (group.column ? 0 : step), group.y + (group.column ? step : 0)};
}

struct StartPosition {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    friend bool operator==(const StartPosition&, const StartPosition&) = default;
};

// The camera's limits in pixels, as the level size table holds them (words; y minimum may be
// negative, as $FF00).
struct LevelBounds {
    std::uint16_t xMin = 0;
    std::uint16_t xMax = 0;
    std::uint16_t yMin = 0;
    std::uint16_t yMax = 0;
    friend bool operator==(const LevelBounds&, const LevelBounds&) = default;
};

// The first axis, 'X' or 'Y', whose minimum lies above its maximum, compared as the game's
// camera code compares them: as signed words, so a y minimum of $FF00 is -256. None when both
// are in order.
[[nodiscard]] constexpr std::optional<char> invertedBoundsAxis(const LevelBounds& bounds) {
    const auto above = [](std::uint16_t minimum, std::uint16_t maximum) {
        return static_cast<std::int16_t>(minimum) > static_cast<std::int16_t>(maximum);
    };
    if (above(bounds.xMin, bounds.xMax)) {
        return 'X';
    }
    if (above(bounds.yMin, bounds.yMax)) {
        return 'Y';
    }
    return std::nullopt;
}

enum class PlacementList { Objects, Rings };

// The bytes of the marker before a list's first object: x = $FFFF, then 0, 0.
inline constexpr std::int32_t kObjectMarkerBytes = kObjectBytes;

// Where a list can be written in place: from `from` (the marker before the objects, or the
// first ring group), `room` bytes. Without a room when nothing of the directory follows the
// list (the caller keeps what the list takes now).
struct ListPlace {
    std::int32_t from = 0;
    std::optional<std::int64_t> room;
};

// The place of the list at `start` of `directory`: up to the next list of the directory or the
// directory itself, whichever comes first after it. Object lists lie back to back with one
// marker between two lists, so where the next list's lead marker is exactly a marker, the room
// reaches the next list's first object: a list of N objects fits where N objects lay, its end
// marker written over the identical lead marker. Lists that begin where this one begins (shared
// lists) do not end it.
[[nodiscard]] ListPlace placementListPlace(ByteSpan image, std::int32_t directory,
                                           PlacementList kind, std::int32_t start);

// Reads an object list from `start` up to its end marker (x = $FFFF); FileRead when the list
// runs past the image.
[[nodiscard]] Result<std::vector<ObjectPlacement>> readObjectList(ByteSpan image,
                                                                  std::int64_t start);
// The bytes of a list as the game needs it: a marker, the objects sorted by x (objects of equal
// x keep their order), a marker. The list starts after the first marker.
[[nodiscard]] std::vector<std::uint8_t> objectListBytes(std::vector<ObjectPlacement> objects);

// Reads a ring list from `start` up to the first word with bit 15 set.
[[nodiscard]] Result<std::vector<RingGroup>> readRingList(ByteSpan image, std::int64_t start);
// The groups followed by $FFFF.
[[nodiscard]] std::vector<std::uint8_t> ringListBytes(const std::vector<RingGroup>& groups);

// Where an act's list begins: the directory's word for the act, sign-extended, added to the
// directory's offset.
[[nodiscard]] Result<std::int32_t> placementListAddress(ByteSpan image, std::int32_t directory,
                                                        ZoneAct act);

// Where the list of every act the directory has a word for begins (17 zones of two acts);
// acts whose word cannot be read are left out.
[[nodiscard]] std::vector<std::int32_t> placementListAddresses(ByteSpan image,
                                                               std::int32_t directory);

// The start position and the boundaries of an act, at `table` + zone x 8 + act x 4 and `table`
// + zone x 16 + act x 8.
[[nodiscard]] constexpr std::int32_t startPositionOffset(std::int32_t table, ZoneAct act) {
    return table + 8 * std::int32_t{act.zone} + 4 * std::int32_t{act.act};
}
[[nodiscard]] constexpr std::int32_t levelBoundsOffset(std::int32_t table, ZoneAct act) {
    return table + 16 * std::int32_t{act.zone} + 8 * std::int32_t{act.act};
}

// Water: the acts that have it (Hidden Palace, Chemical Plant act 2, Aquatic Ruin) and where
// their height lies in the water height table, a word per act of zones 8 to 15.
[[nodiscard]] constexpr bool hasWater(ZoneAct act) {
    return act.zone == kHiddenPalace || act.zone == kAquaticRuin ||
           (act.zone == kChemicalPlant && act.act == 1);
}
[[nodiscard]] constexpr std::int32_t waterHeightOffset(std::int32_t table, ZoneAct act) {
    return table + 4 * (std::int32_t{act.zone} - kHiddenPalace) + 2 * std::int32_t{act.act};
}
// The act's water height in pixels from the top of the level; none for an act without water
// or an image whose table was not found.
[[nodiscard]] std::optional<std::uint16_t> readWaterHeight(ByteSpan image,
                                                           const RomProfile& profile, ZoneAct act);

}  // namespace orvex
