#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/error.h"
#include "demo/demoobjectart.h"
#include "demo/demostart.h"
#include "rom/collision.h"
#include "rom/levelformat.h"
#include "rom/placements.h"
#include "rom/romprofile.h"

// A complete, valid cartridge image made by code: the game's tables at the places a profile
// gives, with the instructions that name them in its code area, 20 levels over 13 zones, art drawn
// by code (each block shows its number in hex inside a frame), 4096-byte layouts, objects,
// rings, start positions and boundaries for every level, collision shapes and indexes (solid
// along the ground line and below it), every stream made by our own encoders.
// Tests, benchmarks and the editor's demo mode use it; no game data is ever needed.

namespace orvex {

inline constexpr std::int32_t kDemoRomSize = 0x100000;  // 1 MiB

struct DemoRomOptions {
    // Zone 0's tile art covers all 2048 tiles (64 KiB) instead of its usual 128.
    bool fullTileArt = false;
    // Zone 0's block mappings end inside block 200 instead of holding all 256 blocks.
    bool shortBlockMappings = false;
    // This level's layout stream breaks off with a copy from before its start.
    std::optional<std::int16_t> weirdLayoutLevel;
};

// Where the builder put each stream, for tests that cut or damage the image.
struct DemoStream {
    std::int32_t offset = 0;
    std::int32_t length = 0;  // stream bytes, end marker included
};

struct DemoZone {
    std::uint8_t zone = 0;
    std::uint8_t paletteNumber = 0;
    std::int32_t paletteOffset = 0;
    std::int32_t tileCount = 0;
    std::int32_t chunkCount = 0;
    std::int32_t blockCount = 0;
    DemoStream tiles;
    DemoStream chunks;
    DemoStream blocks;
    // The zone's collision index of each path as it decodes (shared with the zones the game
    // shares it with), and where its stream lies.
    std::array<std::vector<std::uint8_t>, kCollisionPaths> collision;
    std::array<DemoStream, kCollisionPaths> collisionStreams{};
};

struct DemoRom {
    RomProfile profile;
    std::vector<std::uint8_t> image;
    std::vector<DemoZone> zones;
    std::array<std::uint8_t, kLevelCount> levelZone{};
    std::array<std::uint8_t, kLevelCount> levelAct{};
    std::array<DemoStream, kLevelCount> layouts{};
    std::array<std::vector<std::uint8_t>, kLevelCount> layoutData;  // the decompressed layouts
    // What each level has placed in it (objects sorted by x, as in the image).
    std::array<std::vector<ObjectPlacement>, kLevelCount> objects;
    std::array<std::vector<RingGroup>, kLevelCount> rings;
    std::array<StartPosition, kLevelCount> starts{};
    std::array<LevelBounds, kLevelCount> bounds{};
    DemoObjectArt objectArt;
    // The level-start tables (extra art, animations, palette cycles...) and where they lie.
    DemoStartData start;
    // The shape tables every zone shares, at profile.collisionShapes.
    CollisionShapes shapes;

    [[nodiscard]] const DemoZone& zoneOf(std::int16_t level) const;
};

// The tables of an image built from the disassembly with every table moved (and the layout
// directory pointer with the code around it): what the demo ROM builder makes of a "hack".
[[nodiscard]] const RomProfile& demoBuildProfile();

// Builds the demo ROM in memory with its tables where `profile` says; a factory profile gets
// that revision's serial, the build profile the serial the disassembly keeps (revision 01's).
// Fails only if one of our encoders fails.
[[nodiscard]] Result<DemoRom> buildDemoRom(const RomProfile& profile,
                                           const DemoRomOptions& options = {});

// Builds it and writes it to `path` as writeOutputFile does, replacing a file there.
[[nodiscard]] Status writeDemoRom(const std::filesystem::path& path, const RomProfile& profile,
                                  const DemoRomOptions& options = {});

}  // namespace orvex
