#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/error.h"
#include "rom/objectart.h"
#include "rom/romprofile.h"
#include "rom/starttables.h"

// The demo ROM builder's level-start tables (see demorom.h and rom/starttables.h): invented extra
// art and chunks, chunk records, tile animation scripts, Hill Top's mountains and clouds, slot
// pictures, animal cue lists, underwater palettes, the layout ring's mappings and palette cycles,
// with the code that names each of them.

namespace orvex {

// One tile animation script as the builder wrote it.
struct DemoScript {
    std::uint8_t duration = 0;  // $FF: each frame has its own duration
    std::int32_t art = 0;       // offset of its uncompressed art
    std::int32_t artTiles = 0;  // tiles of art written there
    std::uint16_t destinationTile = 0;
    std::uint8_t tilesPerFrame = 0;
    // Per frame: the first art tile and the frame's duration (the script's own when fixed).
    std::vector<std::array<std::uint8_t, 2>> frames;
};

// A record of chunks written over the top of the chunk table.
struct DemoChunkRecord {
    std::int32_t offset = 0;      // where the record lies in the image
    std::int32_t firstChunk = 0;  // its first word / 8
    std::vector<std::uint16_t> words;
};

// Where each palette cycle's data lies in the image (frame 0 first).
struct DemoPaletteCycles {
    std::int32_t emeraldHill = 0;              // 4 frames of 4 words: 1:3-4, 1:E-F
    std::array<std::int32_t, 3> metropolis{};  // 2:5 (6 frames), 2:1-3 (3 frames), 2:F (10)
    std::int32_t mysticCave = 0;               // a word a frame: 1:B
    std::int32_t casinoNight = 0;              // 3 words a frame: 3:B, 3:A, 3:9
};

struct DemoStartData {
    // Every table where the builder put it: what locating them must find.
    StartTables tables;
    // The extra streams, decoded.
    std::vector<std::uint8_t> hillTopArt;
    std::vector<std::uint8_t> wingFortressArt;
    std::vector<std::uint8_t> hillTopChunks;
    // Per zone: its chunk record, empty for the record holding the word 0.
    std::array<std::optional<DemoChunkRecord>, kZoneCount> records;
    // Per zone: the scripts of its list (zones whose routine runs none have none).
    std::array<std::vector<DemoScript>, kZoneCount> scripts;
    // Hill Top: the $C0 cliff tiles decoded, the 96 block-table offsets (each group's 6 words
    // twice), the 48 blocks they name, and the $400 bytes of cloud art.
    std::vector<std::uint8_t> cliffTiles;
    std::array<std::uint16_t, 96> cliffOffsets{};
    std::vector<std::uint8_t> cliffBlocks;
    std::vector<std::uint8_t> cloudArt;
    std::vector<std::uint8_t> slotPictures;  // $C00 bytes
    // The byte per zone of the animal table, and the cue lists added for it and list 2.
    std::array<std::uint8_t, kZoneCount> animalLists{};
    std::vector<std::pair<std::uint8_t, std::vector<ArtCue>>> cueLists;
    // The colours of the three underwater palettes ($80 bytes each, all four lines).
    std::array<std::vector<std::uint8_t>, 3> underwaterColours;
    std::array<std::uint8_t, 8> ringPiece{};  // frame 0 of the layout ring
    DemoPaletteCycles cycles;
};

struct DemoZone;

// The streams the level loader decodes in code (Hill Top's extra chunks and art, Wing Fortress's
// extra art), decoded and packed. The builder places them in the art area as the game does:
// Hill Top's chunks and art right after the tile art Hill Top's art table entry names, Wing
// Fortress's art right after its own tile art.
struct DemoExtraStream {
    std::vector<std::uint8_t> decoded;
    std::vector<std::uint8_t> packed;  // without the padding byte a save adds
    std::int32_t offset = 0;           // where the builder placed it
};
struct DemoExtraStreams {
    DemoExtraStream hillTopChunks;
    DemoExtraStream hillTopArt;
    DemoExtraStream wingFortressArt;
};
[[nodiscard]] Result<DemoExtraStreams> makeDemoExtraStreams();

// Writes the tables and the code naming them into `image`, whose level tables `profile` gives
// and whose zones (`zones`) are already built with their art, palettes and cue lists; the code
// names the extra streams where `extra` says they lie. Fails only if one of our encoders fails.
[[nodiscard]] Result<DemoStartData> buildDemoStart(std::vector<std::uint8_t>& image,
                                                   const RomProfile& profile,
                                                   const std::vector<DemoZone>& zones,
                                                   const DemoExtraStreams& extra);

// The chunks of a zone's chunk record, which show its animated tiles: the demo's blocks use them
// so that the animation can be seen. A count of 0 for a zone without a record.
struct DemoChunkRange {
    std::int32_t first = 0;
    std::int32_t count = 0;
};
[[nodiscard]] DemoChunkRange demoAnimatedChunks(std::uint8_t zone);

}  // namespace orvex
