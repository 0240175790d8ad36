#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Where the game keeps its tables in one kind of cartridge image. Every ROM location the core
// reads or writes comes from a profile: one constant profile per revision of the game, and one
// made by locating the tables through the game's code in an image built from its disassembly
// (see romidentity.h). All offsets are byte offsets into the file; fields are big-endian.

namespace orvex {

inline constexpr std::int16_t kLevelCount = 20;
inline constexpr std::int32_t kZoneCount = 17;  // zone numbers 0..16

// Without a mapper the 68000 sees 4 MiB of cartridge; nothing may be written at or past it.
inline constexpr std::int64_t kCartridgeSpace = 0x400000;

// The Mega Drive cartridge header, the same in every image of every game.
struct HeaderFields {
    std::int32_t consoleName = 0x100;    // "SEGA"
    std::int32_t serial = 0x180;         // "GM 00001051-01": 14 bytes
    std::int32_t checksum = 0x18E;       // word: the sum the game verifies at boot
    std::int32_t romEnd = 0x1A4;         // long: offset of the image's last byte
    std::int32_t checksumStart = 0x200;  // the boot check sums words from here
};
inline constexpr std::int32_t kSerialLength = 14;

enum class RomKind {
    Revision00,   // the first release
    Revision01,   // the second release (the most common dump)
    Revision02,   // the third release
    Disassembly,  // built from the disassembly, tables wherever the build put them
};

// Every table the core uses. The four level tables are always known; the others are
// empty when an image built from the disassembly does not show the code that finds them.
struct RomProfile {
    RomKind kind = RomKind::Revision01;
    std::string_view name;    // "revision 01", "built from the disassembly"
    std::string_view serial;  // at header.serial in the factory image; empty for builds
    std::uint16_t factoryChecksum = 0;
    std::int64_t factorySize = 0x100000;  // 1 MiB, the ROM end field 0xFFFFF
    HeaderFields header;

    // Word per level: zone << 8 | act; 20 levels, then $4000 and $FFFF.
    std::int32_t levelList = 0;
    // 12 bytes per zone: tile art, chunk mappings, block mappings (palette number on top).
    std::int32_t levelArtTable = 0;
    // 8 bytes per palette: long source, word RAM destination, word count of longs - 1.
    std::int32_t palettePointerTable = 0;
    // Palette line 0 of every level: the source of entry 3 of the palette pointer table.
    std::int32_t fixedPaletteLine = 0;
    // The operand of the instruction that loads the layout directory's address.
    std::int32_t layoutDirectoryPointer = 0;
    // Where the layout directory lies in the factory image.
    std::optional<std::int32_t> factoryLayoutDirectory;

    std::optional<std::int32_t> objectDirectory;
    std::optional<std::int32_t> ringDirectory;
    std::optional<std::int32_t> startPositions;
    std::optional<std::int32_t> levelSizes;
    std::optional<std::int32_t> collisionPrimary;
    std::optional<std::int32_t> collisionSecondary;
    // The collision shape tables: angles, then vertical heights (+$100), then horizontal
    // (+$1100). No code names them: a build's are found by their contents (collisiontables.h).
    std::optional<std::int32_t> collisionShapes;
    std::optional<std::int32_t> waterHeights;
    std::optional<std::int32_t> patternLoadCues;
    std::optional<std::int32_t> debugObjectLists;
};

// Art table increments: which long of a zone's entry to read.
inline constexpr std::int16_t kTileArtIncrement = 0;
inline constexpr std::int16_t kChunkMappingsIncrement = 4;
inline constexpr std::int16_t kBlockMappingsIncrement = 8;
inline constexpr std::array<std::int16_t, 3> kArtIncrements = {
    kTileArtIncrement, kChunkMappingsIncrement, kBlockMappingsIncrement};
inline constexpr std::int32_t kLevelArtEntrySize = 12;
inline constexpr std::int32_t kPalettePointerEntrySize = 8;
// Entry 3 of the palette pointer table loads the fixed line (two lines, $40 bytes).
inline constexpr std::int32_t kFixedPaletteEntry = 3;

// The factory profiles.
[[nodiscard]] const RomProfile& revisionProfile(RomKind revision);
[[nodiscard]] const std::vector<const RomProfile*>& factoryProfiles();

// The tables of a profile, by name.
enum class TableId {
    LevelList,
    LevelArt,
    PalettePointers,
    FixedPalette,
    LayoutDirectoryPointer,
    ObjectDirectory,
    RingDirectory,
    StartPositions,
    LevelSizes,
    CollisionPrimary,
    CollisionSecondary,
    CollisionShapes,
    WaterHeights,
    PatternLoadCues,
    DebugObjectLists,
};
inline constexpr std::size_t kTableCount = 15;

// Every table id, in the order above: the four level tables and the layout directory pointer
// first, then the placement, collision and art tables.
[[nodiscard]] const std::array<TableId, kTableCount>& allTables();
// How messages name a table: "level art table".
[[nodiscard]] std::string_view tableName(TableId table);
// True for the five tables every profile has (level list, art table, palette pointers, fixed
// palette line, layout directory pointer); a build may lack the others.
[[nodiscard]] bool isLevelTable(TableId table);
// The table's offset in `profile`, if known.
[[nodiscard]] std::optional<std::int32_t> tableOffset(const RomProfile& profile, TableId table);
void setTableOffset(RomProfile& profile, TableId table, std::int32_t offset);

}  // namespace orvex
