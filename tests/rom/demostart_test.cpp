// The demo image's level-start tables, read back by the rules the game's code reads them with.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "common/byteorder.h"
#include "compression/nemesis.h"
#include "rom/levelstart.h"
#include "rom/objectart.h"
#include "rom/starttables.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

using DemoStartTables = ProfileTest;

std::uint16_t wordAt(const Bytes& image, std::int64_t at) {
    return readWord(image, at).value();
}

Bytes bytesAt(const Bytes& image, std::int32_t at, std::int32_t count) {
    return {image.begin() + at, image.begin() + at + count};
}

// Hill Top's mountains go to 48 blocks its layouts never use; the clouds' buffer ($F8-$F9) is
// unused too.
TEST_P(DemoStartTables, HillTopCliffsNameBlocksItsLayoutsLeaveAlone) {
    const DemoRom& demo = this->demo();
    const DemoStartData& start = demo.start;
    const std::set<std::uint8_t> blocks(start.cliffBlocks.begin(), start.cliffBlocks.end());
    EXPECT_EQ(blocks.size(), 48u);
    for (std::size_t level = 0; level < kLevelCount; ++level) {
        if (demo.levelZone[level] != kHillTop) {
            continue;
        }
        for (const std::uint8_t block : demo.layoutData[level]) {
            EXPECT_FALSE(blocks.contains(block) || block == 0xF8 || block == 0xF9) << level;
        }
    }
    const std::int32_t table = *start.tables.hillTopCliffOffsets;
    for (std::int32_t g = 0; g < 8; ++g) {
        for (std::int32_t e = 0; e < 6; ++e) {
            const std::uint16_t offset = wordAt(demo.image, table + 24 * g + 2 * e);
            EXPECT_EQ(offset, wordAt(demo.image, table + 24 * g + 12 + 2 * e));
            EXPECT_EQ(offset, start.cliffBlocks[static_cast<std::size_t>(6 * g + e)] * 0x80);
        }
    }
    const auto tiles = decompressNemesis(demo.image, *start.tables.hillTopCliffArt).value().tiles;
    EXPECT_EQ(tiles, start.cliffTiles);
    ASSERT_EQ(tiles.size(), 0xC0u * 32);
    std::set<Bytes> distinct;
    for (std::int32_t t = 0; t < 0xC0; ++t) {
        distinct.insert(bytesAt(tiles, 32 * t, 32));
    }
    EXPECT_EQ(distinct.size(), 0xC0u);
    EXPECT_EQ(bytesAt(demo.image, *start.tables.hillTopCloudArt, 0x400), start.cloudArt);
}

// Zones 0 and 7 share a record, 13 and 14 another; every record ends at the end of the chunk
// table; the other zones name the word 0.
TEST_P(DemoStartTables, ChunkRecordsEndAtTheEndOfTheChunkTable) {
    const DemoRom& demo = this->demo();
    const std::int32_t table = *demo.start.tables.chunkRecords;
    for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
        const std::int32_t record =
            table + static_cast<std::int16_t>(wordAt(demo.image, table + 2 * zone));
        const auto& expected = demo.start.records[static_cast<std::size_t>(zone)];
        const bool has = zone == 0 || zone == 7 || zone == 12 || zone == 13 || zone == 14;
        ASSERT_EQ(expected.has_value(), has) << zone;
        if (!has) {
            EXPECT_EQ(wordAt(demo.image, record), 0) << zone;
            continue;
        }
        const std::int32_t into = wordAt(demo.image, record);
        const std::int32_t words = wordAt(demo.image, record + 2) + 1;
        // The chunks the demo's blocks show for the animation are the record's.
        const DemoChunkRange shown = demoAnimatedChunks(static_cast<std::uint8_t>(zone));
        EXPECT_EQ(shown.first, into / 8) << zone;
        EXPECT_EQ(shown.first + shown.count, 0x300) << zone;
        EXPECT_EQ(record, expected->offset);
        EXPECT_EQ(into / 8, expected->firstChunk);
        EXPECT_EQ(into + 2 * words, 0x1800) << zone;
        ASSERT_EQ(static_cast<std::size_t>(words), expected->words.size());
        for (std::int32_t w = 0; w < words; ++w) {
            EXPECT_EQ(wordAt(demo.image, record + 4 + 2 * w),
                      expected->words[static_cast<std::size_t>(w)]);
        }
    }
    EXPECT_EQ(demo.start.records[0]->offset, demo.start.records[7]->offset);
    EXPECT_EQ(demo.start.records[13]->offset, demo.start.records[14]->offset);
}

// The scripts the game's loader reads are the ones the demo wrote: where each goes, its tiles
// a frame and each frame's first tile and duration. Zone 0 has one with a duration per frame
// and one with a fixed duration, just past its art, and every frame copies tiles of its own.
TEST_P(DemoStartTables, ScriptListsReadBackAsWritten) {
    const DemoRom& demo = this->demo();
    for (const std::uint8_t zone : {0, 4, 5, 7, 8, 10, 12, 13, 14, 15}) {
        const auto scripts =
            readLevelStart(demo.image, profile(), demo.start.tables, {zone, 0}, 0).scripts;
        const auto& expected = demo.start.scripts[zone];
        ASSERT_EQ(scripts.size(), expected.size()) << int{zone};
        for (std::size_t s = 0; s < scripts.size(); ++s) {
            EXPECT_EQ(scripts[s].destination, expected[s].destinationTile);
            EXPECT_EQ(scripts[s].tilesPerFrame, expected[s].tilesPerFrame);
            ASSERT_EQ(scripts[s].frames.size(), expected[s].frames.size()) << int{zone};
            for (std::size_t f = 0; f < scripts[s].frames.size(); ++f) {
                EXPECT_EQ(scripts[s].frames[f],
                          (AnimationScript::Frame{expected[s].frames[f][0],
                                                  expected[s].frames[f][1] + 1}))
                    << int{zone} << " " << s << " " << f;
            }
        }
    }
    const auto& emeraldHill = demo.start.scripts[0];
    ASSERT_GE(emeraldHill.size(), 2u);
    EXPECT_EQ(emeraldHill[0].duration, 0xFF);
    EXPECT_EQ(emeraldHill[1].duration, 7);
    EXPECT_EQ(demo.start.scripts[7].size(), emeraldHill.size());
    for (const DemoScript& script : emeraldHill) {
        EXPECT_GE(script.destinationTile, demo.zoneOf(0).tileCount);
        std::set<Bytes> frames;
        for (const auto& [first, duration] : script.frames) {
            frames.insert(bytesAt(demo.image, script.art + 32 * first, 32 * script.tilesPerFrame));
        }
        EXPECT_EQ(frames.size(), script.frames.size());
    }
}

// Frame 0 of the Metropolis, Mystic Cave and Casino Night cycles differs from the stored
// palette, Emerald Hill's does not; every colour is a valid colour word.
TEST_P(DemoStartTables, PaletteCyclesChangeTheirColoursOnTheFirstFrame) {
    const DemoRom& demo = this->demo();
    const DemoPaletteCycles& cycles = demo.start.cycles;
    const auto stored = [&](std::int16_t level, std::int32_t line, std::int32_t index) {
        return wordAt(demo.image, demo.zoneOf(level).paletteOffset + 32 * (line - 1) + 2 * index);
    };
    const auto frameZero = [&](std::int32_t at, std::int32_t word) {
        const std::uint16_t colour = wordAt(demo.image, at + 2 * word);
        EXPECT_EQ(colour & ~0x0EEE, 0);
        return colour;
    };
    // Levels 4 (Metropolis), 15 (Mystic Cave), 16 (Casino Night), 0 (Emerald Hill).
    EXPECT_NE(frameZero(cycles.metropolis[0], 0), stored(4, 2, 5));
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_NE(frameZero(cycles.metropolis[1], i), stored(4, 2, 1 + i));
        EXPECT_NE(frameZero(cycles.casinoNight, i), stored(16, 3, 11 - i));
    }
    EXPECT_NE(frameZero(cycles.metropolis[2], 0), stored(4, 2, 15));
    EXPECT_NE(frameZero(cycles.mysticCave, 0), stored(15, 1, 11));
    for (const auto& [word, index] : {std::pair{0, 3}, {1, 4}, {2, 14}, {3, 15}}) {
        EXPECT_EQ(frameZero(cycles.emeraldHill, word), stored(0, 1, index));
    }
}

// Palettes $15-$17 load all four lines from $FB00 with colours of their own.
TEST_P(DemoStartTables, UnderwaterPalettesAreEntriesOfThePaletteTable) {
    const DemoRom& demo = this->demo();
    for (std::size_t i = 0; i < 3; ++i) {
        const std::int32_t entry =
            profile().palettePointerTable + 8 * (0x15 + static_cast<std::int32_t>(i));
        const std::int32_t source = readLong(demo.image, entry).value();
        EXPECT_EQ(wordAt(demo.image, entry + 4), 0xFB00);
        EXPECT_EQ(wordAt(demo.image, entry + 6), 0x1F);
        EXPECT_EQ(bytesAt(demo.image, source, 0x80), demo.start.underwaterColours[i]);
        EXPECT_NE(bytesAt(demo.image, source + 0x20, 0x60),
                  bytesAt(demo.image, demo.zoneOf(12).paletteOffset, 0x60));
    }
    EXPECT_NE(demo.start.underwaterColours[0], demo.start.underwaterColours[1]);
}

// Every zone's animal list exists and loads Nemesis art at $580 and $594; list 2 loads at $5A4;
// the ring's list is as it was.
TEST_P(DemoStartTables, AnimalListsLoadArt) {
    const DemoRom& demo = this->demo();
    const std::int32_t cues = *profile().patternLoadCues;
    for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
        const std::uint8_t list =
            demo.image[static_cast<std::size_t>(*demo.start.tables.animalCues + zone)];
        EXPECT_EQ(list, demo.start.animalLists[static_cast<std::size_t>(zone)]);
        const auto entries = readArtCues(demo.image, cues, list).value().entries;
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].videoAddress, 0x580 * 32);
        EXPECT_EQ(entries[1].videoAddress, 0x594 * 32);
        for (const ArtCue& cue : entries) {
            EXPECT_TRUE(decompressNemesis(demo.image, cue.source).ok());
        }
    }
    const auto explosion = readArtCues(demo.image, cues, 2).value().entries;
    ASSERT_EQ(explosion.size(), 1u);
    EXPECT_EQ(explosion[0].videoAddress, 0x5A4 * 32);
    EXPECT_EQ(readArtCues(demo.image, cues, 0).value().entries[0].videoAddress, 0x6BC * 32);
}

// Six different slot pictures of 16 tiles.
TEST_P(DemoStartTables, SlotPicturesDiffer) {
    const DemoRom& demo = this->demo();
    const Bytes pictures = bytesAt(demo.image, *demo.start.tables.slotPictures, 0xC00);
    EXPECT_EQ(pictures, demo.start.slotPictures);
    std::set<Bytes> distinct;
    for (std::int32_t p = 0; p < 6; ++p) {
        distinct.insert(bytesAt(pictures, 0x200 * p, 0x200));
    }
    EXPECT_EQ(distinct.size(), 6u);
}

// What the demo writes is the same for every table layout; starttables_test finds it in each.
ORVEX_ONE_PROFILE(DemoStartTables);

}  // namespace
}  // namespace orvex::testing
