#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "rom/romprofile.h"
#include "rom/zones.h"

// The tables the game's code reads when it starts a level, beyond the level tables: the extra
// art and chunks some zones load, the chunk records written over the chunk table, the tile
// animation scripts, the pictures made by code (Hill Top's mountains and clouds, Casino Night's
// slot windows), the animal art lists, the underwater palettes, the layout ring's mappings and
// the palette cycles. Each is found through the instruction that names it, in factory images and
// builds alike, and checked; one that is not found is left out and named in `missing`.

namespace orvex {

// The sizes of what some of these tables point at: Hill Top's cliff art (Nemesis tiles) and the
// words of the block offsets its mountains cover, its cloud strip, Casino Night's slot pictures.
inline constexpr std::int32_t kCliffTiles = 0xC0;
inline constexpr std::int32_t kCliffOffsetWords = 96;
inline constexpr std::int32_t kCloudArtBytes = 0x400;
inline constexpr std::int32_t kSlotPictureBytes = 0xC00;

// A Kosinski stream the level loader decodes in code for one zone, into RAM where its first tile
// (art) or first chunk (chunk mappings) lies.
struct ExtraStream {
    std::int32_t stream = 0;
    std::int32_t first = 0;
    friend bool operator==(const ExtraStream&, const ExtraStream&) = default;
};

struct StartTables {
    // Hill Top's and Wing Fortress's extra tile art, decoded over the zone's art in RAM, and the
    // fixed number of tiles the loader then copies to video memory from tile 0 (Death Egg copies
    // fewer tiles than its art has).
    std::optional<ExtraStream> hillTopArt;
    std::optional<std::int32_t> hillTopCopiedTiles;
    std::optional<ExtraStream> wingFortressArt;
    std::optional<std::int32_t> wingFortressCopiedTiles;
    std::optional<std::int32_t> deathEggCopiedTiles;
    // Hill Top's extra chunk mappings, decoded into the chunk table at chunk `first`.
    std::optional<ExtraStream> hillTopChunks;
    // 17 word offsets from the table to each zone's record of chunks written over the top of
    // the chunk table.
    std::optional<std::int32_t> chunkRecords;
    // 17 pairs of signed words from the table: the zone's routine, the zone's script list.
    std::optional<std::int32_t> animations;
    // Hill Top's mountain art (Nemesis), the 96 block-table offsets it is copied to, and its
    // cloud art (uncompressed, 16 rows of 64 pixels and a copy shifted by one pixel).
    std::optional<std::int32_t> hillTopCliffArt;
    std::optional<std::int32_t> hillTopCliffOffsets;
    std::optional<std::int32_t> hillTopCloudArt;
    // Casino Night's slot pictures: 6 pictures of 4 x 4 tiles, uncompressed.
    std::optional<std::int32_t> slotPictures;
    // A byte per zone: the pattern load cue list of the zone's animals.
    std::optional<std::int32_t> animalCues;
    // The palette numbers of the underwater palettes: Hidden Palace, Chemical Plant, the others.
    std::optional<std::array<std::uint8_t, 3>> underwaterPalettes;
    // The layout ring's mappings (8 word offsets, then 8 one-piece frames) and its art word.
    std::optional<std::int32_t> ringMappings;
    std::optional<std::uint16_t> ringArtWord;
    // The table of 17 word offsets to the palette cycle routines. The cycle data lies at a fixed
    // distance after it in every revision, so its place gives the data's.
    std::optional<std::int32_t> paletteCycles;
    friend bool operator==(const StartTables&, const StartTables&) = default;
};

// One table of StartTables for reports: "Hill Top extra art", its offset (or value) when found,
// where the code that names it starts, and why it is missing otherwise.
struct StartTableReport {
    std::string name;
    std::optional<std::int32_t> offset;
    std::optional<std::int32_t> codeAt;
    std::string problem;
    // What was found, as a report line shows it: "0x98AB4, first tile 0x1FC", "0x37E tiles".
    std::string found;
};

struct LocatedStartTables {
    StartTables tables;
    std::vector<StartTableReport> reports;  // one per table, in the order of StartTables
    // The names of the tables that were not found or failed their check, for a status line:
    // "Hill Top extra art, palette cycles".
    [[nodiscard]] std::vector<std::string> missing() const;
};

// Finds every table of StartTables in `image` through the code that names it, then checks it
// (pointers even and inside the image, streams that decode to the size the code copies, ids
// that name entries of the palette pointer table of `profile`). Never fails: what is not found
// or fails its check is left empty and reported with the reason.
[[nodiscard]] LocatedStartTables locateStartTables(ByteSpan image, const RomProfile& profile);

}  // namespace orvex
