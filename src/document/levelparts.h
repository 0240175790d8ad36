#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "document/layout.h"
#include "rom/collision.h"
#include "rom/levelformat.h"
#include "rom/placements.h"

// The parts of a level as the game stores them, decoded from their streams but not drawn: what a
// level document edits and writes back.

namespace orvex {

enum class Part : std::uint8_t {
    Layout,
    TileArt,
    ChunkMappings,
    BlockMappings,
    Palette,
    Objects,
    Rings,
    StartPosition,
    Bounds,
    CollisionPrimary,
    CollisionSecondary,
    CollisionShapes,
};
inline constexpr std::size_t kPartCount = 12;
inline constexpr std::array<Part, kPartCount> kAllParts{Part::Layout,
                                                        Part::TileArt,
                                                        Part::ChunkMappings,
                                                        Part::BlockMappings,
                                                        Part::Palette,
                                                        Part::Objects,
                                                        Part::Rings,
                                                        Part::StartPosition,
                                                        Part::Bounds,
                                                        Part::CollisionPrimary,
                                                        Part::CollisionSecondary,
                                                        Part::CollisionShapes};

// The collision index part of `path`: 0 the primary, 1 the secondary.
[[nodiscard]] constexpr Part collisionPart(std::int32_t path) {
    return path == 0 ? Part::CollisionPrimary : Part::CollisionSecondary;
}

// "layout", "tile art", ... for messages.
[[nodiscard]] std::string_view partName(Part part);

// The level's tiles as the art stream holds them: 32 bytes a tile, two 4-bit pixels a byte, the
// left one in the high nibble. Bytes past 2,048 tiles are kept but never drawn.
struct TileArt {
    std::vector<std::uint8_t> bytes;

    [[nodiscard]] std::int32_t completeTiles() const {
        return static_cast<std::int32_t>(
            std::min<std::size_t>(bytes.size() / kTileBytes, std::size_t{kBaseTiles}));
    }
    friend bool operator==(const TileArt&, const TileArt&) = default;
};

// Chunk or block mappings: big-endian words, as the stream holds them. A stream of odd length
// keeps its last byte, which belongs to no word.
struct MappingWords {
    std::vector<std::uint8_t> bytes;

    [[nodiscard]] std::int32_t wordCount() const {
        return static_cast<std::int32_t>(bytes.size() / 2);
    }
    [[nodiscard]] std::uint16_t word(std::int32_t index) const {
        const auto at = 2 * static_cast<std::size_t>(index);
        return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
    }
    void setWord(std::int32_t index, std::uint16_t value) {
        const auto at = 2 * static_cast<std::size_t>(index);
        bytes[at] = static_cast<std::uint8_t>(value >> 8);
        bytes[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
    }
    friend bool operator==(const MappingWords&, const MappingWords&) = default;
};

// Everything a level document holds of one level. The placements are there when the image's
// tables for them were found.
struct LevelParts {
    Layout layout;
    TileArt tiles;
    MappingWords chunks;  // 16x16 chunk mappings, 4 words a chunk
    MappingWords blocks;  // 128x128 block mappings, 64 words a block
    PaletteWords palette;
    std::optional<std::vector<ObjectPlacement>> objects;
    std::optional<std::vector<RingGroup>> rings;
    std::optional<StartPosition> start;
    std::optional<LevelBounds> bounds;
    // The zone's collision index of each path: kCollisionIndexSize bytes, a shape id per chunk;
    // empty when the image has no collision tables.
    std::array<std::vector<std::uint8_t>, kCollisionPaths> collision;
    // The shapes every zone shares; nothing when the image's shape tables were not found.
    std::optional<CollisionShapes> shapes;
    friend bool operator==(const LevelParts&, const LevelParts&) = default;
};

// The camera's left edge at level start: the start position $A0 pixels from the screen's left
// edge, within the level's boundaries.
[[nodiscard]] inline std::int32_t startCameraX(const LevelParts& parts) {
    const std::int32_t x = parts.start ? parts.start->x - 0xA0 : 0;
    const std::int32_t right = parts.bounds ? parts.bounds->xMax : 0xFFFF;
    return std::clamp(x, 0, std::max(right, 0));
}

// Whether one part of `a` and `b` differs.
[[nodiscard]] bool partDiffers(const LevelParts& a, const LevelParts& b, Part part);
// Copies one part of `from` into `to`.
void copyPart(const LevelParts& from, LevelParts& to, Part part);

}  // namespace orvex
