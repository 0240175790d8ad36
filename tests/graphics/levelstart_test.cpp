#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "graphics/levelart.h"
#include "graphics/levelstart.h"
#include "rom/romprofile.h"

// What the game does to a level's streams before its first frame, on small images made here.

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kCueTable = 0x1000;
constexpr std::int32_t kArtTable = 0x2000;
constexpr std::int32_t kScripts = 0x3000;
constexpr std::int32_t kData = 0x8000;

// The first byte of each tile of video memory named.
Bytes tileBytes(const VideoMemory& video, std::initializer_list<std::int32_t> tiles) {
    Bytes out;
    for (const std::int32_t tile : tiles) {
        out.push_back(video.bytes[static_cast<std::size_t>(tile) * kTileBytes]);
    }
    return out;
}

// `count` tiles whose every byte is `value`.
Bytes tiles(std::int32_t count, std::uint8_t value) {
    return Bytes(static_cast<std::size_t>(count) * kTileBytes, value);
}

// An image with the tables the game reads at level start, filled by the tests.
class StartImage {
public:
    StartImage() : mImage(0x40000, 0) {
        mProfile.levelArtTable = kArtTable;
        mProfile.patternLoadCues.reset();
        mProfile.palettePointerTable = 0x2400;
    }

    // Cue list `list` with one cue: `art` Nemesis-packed, to tile `tile`.
    void cue(std::uint8_t list, std::int32_t tile, const Bytes& art) {
        mProfile.patternLoadCues = kCueTable;
        const std::int32_t at = put(2 + kArtCueBytes, {});
        putWord(mImage, static_cast<std::size_t>(kCueTable + 2 * list),
                static_cast<std::uint16_t>(at - kCueTable));
        putWord(mImage, static_cast<std::size_t>(at), 0);
        putLong(mImage, static_cast<std::size_t>(at + 2),
                static_cast<std::uint32_t>(put(0, *compressNemesis(art))));
        putWord(mImage, static_cast<std::size_t>(at + 6),
                static_cast<std::uint16_t>(tile * kTileBytes));
    }
    // The zone's two cue lists, as the top bytes of its art table longs.
    void zoneLists(std::uint8_t zone, std::uint8_t first, std::uint8_t second) {
        const auto entry = static_cast<std::size_t>(kArtTable + kLevelArtEntrySize * zone);
        mImage[entry] = first;
        mImage[entry + 4] = second;
    }
    // Bytes placed in the data area; returns their offset.
    std::int32_t put(std::int32_t reserve, const Bytes& bytes) {
        const std::int32_t at = mCursor;
        std::copy(bytes.begin(), bytes.end(), mImage.begin() + at);
        mCursor += std::max<std::int32_t>(reserve, static_cast<std::int32_t>(bytes.size()));
        mCursor += mCursor % 2;
        return at;
    }
    std::vector<std::uint8_t>& bytes() { return mImage; }
    const RomProfile& profile() const { return mProfile; }

    LevelStart read(const StartTables& tables, ZoneAct act, const LevelParts& parts = {}) const {
        return readLevelStart(mImage, mProfile, tables, act, startCameraX(parts));
    }

private:
    std::vector<std::uint8_t> mImage;
    RomProfile mProfile = revisionProfile(RomKind::Revision01);
    std::int32_t mCursor = kData;
};

TEST(LevelStart, EachSourceOfTilesLandsWhereTheGameWritesItAndLaterOnesWin) {
    StartImage image;
    image.zoneLists(0, 5, 6);
    image.cue(0, 0x1E, tiles(4, 0x11));   // the title screen's list, before the level's art
    image.cue(5, 0x101, tiles(2, 0x55));  // the zone's first list
    image.cue(1, 0x100, tiles(2, 0x22));  // the standard list, queued after it
    image.cue(6, 0x102, tiles(1, 0x66));  // the zone's second list, after the chunks
    image.cue(2, 0x180, tiles(1, 0x77));  // standard water, when the title card leaves
    image.cue(9, 0x100, tiles(1, 0x99));  // the zone's animals, last
    StartTables tables;
    tables.animalCues = image.put(17, Bytes{9});
    LevelParts parts;
    parts.tiles.bytes = tiles(0x20, 0x44);
    const LevelStart start = image.read(tables, {0, 0}, parts);
    EXPECT_TRUE(start.problems.empty()) << start.problems.front();

    VideoMemory video;
    composeVideo(parts.tiles, start, video);
    // The level's art over the title screen's, which shows past the art's end.
    EXPECT_EQ(tileBytes(video, {0x1F, 0x20, 0x100, 0x101, 0x102, 0x180}),
              (Bytes{0x44, 0x11, 0x99, 0x22, 0x66, 0x77}));
}

// A script of frames with their own durations (duration byte $FF) and one of a fixed duration,
// as the animation table lists them for zone 0.
struct Scripts {
    StartTables tables;
    std::int32_t art = 0;
};

Scripts writeScripts(StartImage& image) {
    Bytes art;
    for (std::uint8_t t = 0; t < 8; ++t) {
        const Bytes tile = tiles(1, static_cast<std::uint8_t>(0xA0 + t));
        art.insert(art.end(), tile.begin(), tile.end());
    }
    Scripts scripts;
    scripts.art = image.put(0, art);
    const auto a = static_cast<std::uint8_t>(scripts.art >> 16);
    const auto b = static_cast<std::uint8_t>(scripts.art >> 8);
    const auto c = static_cast<std::uint8_t>(scripts.art);
    const Bytes list{
        0x00, 0x01,                                            // two scripts
        0xFF, a,    b, c, 0x20, 0x00, 3, 2, 0, 3, 2, 5, 4, 1,  // to tile $100, 2 tiles a frame
        0x07, a,    b, c, 0x20, 0x40, 2, 1, 6, 7,              // to tile $102, 1 tile a frame
    };
    const std::int32_t at = image.put(0, list);
    // The table: per zone a routine word and the script list's offset from the table.
    const std::int32_t table = kScripts;
    putWord(image.bytes(), static_cast<std::size_t>(table + 2),
            static_cast<std::uint16_t>(at - table));
    scripts.tables.animations = table;
    return scripts;
}

TEST(LevelStart, ScriptsShowFrameZeroAtTheStartAndKeepTheGamesTiming) {
    StartImage image;
    const Scripts written = writeScripts(image);
    const LevelStart start = image.read(written.tables, {0, 0});
    ASSERT_EQ(start.scripts.size(), 2u) << ::testing::PrintToString(start.problems);
    const AnimationScript& own = start.scripts[0];
    EXPECT_EQ(own.destination, 0x100);
    // Frames of 4, 6 and 2 video frames, then again.
    EXPECT_EQ((std::vector<std::int32_t>{own.frameAt(0), own.frameAt(3), own.frameAt(9),
                                         own.frameAt(10), own.frameAt(12),
                                         start.scripts[1].frameAt(7), start.scripts[1].frameAt(8)}),
              (std::vector<std::int32_t>{0, 0, 1, 2, 0, 0, 1}));

    VideoMemory video;
    composeVideo({}, start, video);
    EXPECT_EQ(tileBytes(video, {0x100, 0x101, 0x102}), (Bytes{0xA0, 0xA1, 0xA6}));
    composeVideo({}, start, video, 10);  // the tenth frame shows the third picture
    EXPECT_EQ(tileBytes(video, {0x100, 0x102}), (Bytes{0xA4, 0xA7}));

    // Stepping writes only the scripts whose frame changes.
    composeVideo({}, start, video, 3);
    EXPECT_EQ(stepAnimation(start, video, 4), (std::vector<std::int32_t>{0x100, 0x101}));
    EXPECT_TRUE(stepAnimation(start, video, 5).empty());
    EXPECT_EQ(tileBytes(video, {0x100}), Bytes{0xA2});
}

TEST(LevelStart, HillTopAddsArtChunksAndMountainsAndHidesTheBlocksItOverwrites) {
    StartImage image;
    StartTables tables;
    tables.hillTopArt = ExtraStream{image.put(0, *compressKosinskiOptimal(tiles(4, 0xBB))), 0x1FC};
    tables.hillTopCopiedTiles = 0x200;
    Bytes cliffs;
    for (std::int32_t t = 0; t < 0xC0; ++t) {
        const Bytes tile = tiles(1, static_cast<std::uint8_t>(t));
        cliffs.insert(cliffs.end(), tile.begin(), tile.end());
    }
    tables.hillTopCliffArt = image.put(0, *compressNemesis(cliffs));
    Bytes offsets;
    for (std::int32_t i = 0; i < 96; ++i) {
        const std::int32_t block = 0x10 + (i % 6) + 6 * (i / 12);
        offsets.push_back(static_cast<std::uint8_t>((block * 0x80) >> 8));
        offsets.push_back(static_cast<std::uint8_t>(block * 0x80));
    }
    tables.hillTopCliffOffsets = image.put(0, offsets);
    Bytes chunks(8 * 4, 0);
    chunks[1] = 0x42;
    tables.hillTopChunks = ExtraStream{image.put(0, *compressKosinskiOptimal(chunks)), 0x130};

    LevelParts parts;
    parts.tiles.bytes = tiles(0x210, 0x44);
    parts.chunks.bytes = Bytes(0x140 * 8, 0x01);
    parts.start = StartPosition{0x1A0, 0};  // the camera at x = $100
    parts.bounds = LevelBounds{0, 0x4000, 0, 0x800};
    const LevelStart start = image.read(tables, {kHillTop, 0}, parts);
    EXPECT_TRUE(start.problems.empty()) << start.problems.front();

    VideoMemory video;
    composeVideo(parts.tiles, start, video);
    // $200 is decoded but past the tiles the loader copies; at camera x $100 the mountains
    // start at cliff column 4 of group 0.
    EXPECT_EQ(tileBytes(video, {0x1FB, 0x1FC, 0x200, 0x500, 0x504, 0x508}),
              (Bytes{0x44, 0xBB, 0x00, 16, 20, 0}));

    const Bytes table = composeChunks(parts.chunks, start);
    EXPECT_EQ(table[0x12F * 8 + 1], 0x01);
    EXPECT_EQ(table[0x130 * 8 + 1], 0x42);
    EXPECT_EQ(start.hiddenBlocks.count(), 48u + 2u);  // and the cloud strip's two
    EXPECT_TRUE(start.hiddenBlocks.test(0x10) && start.hiddenBlocks.test(0xF9));
    EXPECT_FALSE(start.hiddenBlocks.test(0x0F));
}

TEST(LevelStart, TheChunkRecordWritesOverTheTopOfTheChunkTable) {
    StartImage image;
    Bytes record{0x17, 0xF0, 0x00, 0x07};  // chunks $2FE and $2FF: 8 words
    for (std::uint8_t i = 0; i < 16; ++i) {
        record.push_back(i);
    }
    Bytes offsets(2 * 17, 0);
    offsets[1] = 0x40;  // zone 0's record $40 bytes after the table
    const std::int32_t table = image.put(0x40, offsets);
    image.put(0, record);
    StartTables tables;
    tables.chunkRecords = table;
    MappingWords chunks;
    chunks.bytes = Bytes(0x100 * 8, 0x01);  // the zone's stream ends at chunk $FF
    const Bytes composed = composeChunks(chunks, image.read(tables, {0, 0}));
    ASSERT_EQ(composed.size(), 0x300u * 8);
    // $2FD is RAM the stream never reached.
    EXPECT_EQ((Bytes{composed[0xFF * 8], composed[0x2FD * 8], composed[0x2FE * 8 + 1],
                     composed[0x2FF * 8 + 7]}),
              (Bytes{0x01, 0x00, 0x01, 0x0F}));
}

TEST(LevelStart, WaterActsReadTheirUnderwaterPaletteAndCyclesTheirFirstFrame) {
    StartImage image;
    Bytes colours;
    for (std::int32_t i = 0; i < 64; ++i) {
        colours.push_back(0x0E);
        colours.push_back(static_cast<std::uint8_t>(2 * (i % 8)));
    }
    const std::int32_t source = image.put(0, colours);
    const auto entry = static_cast<std::size_t>(image.profile().palettePointerTable + 8 * 0x17);
    putLong(image.bytes(), entry, static_cast<std::uint32_t>(source));
    putWord(image.bytes(), entry + 4, 0xFB00);
    putWord(image.bytes(), entry + 6, 0x1F);
    StartTables tables;
    tables.underwaterPalettes = std::array<std::uint8_t, 3>{0x15, 0x16, 0x17};
    // Casino Night's cycle of 3:9-B, written from its table's first word backwards.
    tables.paletteCycles = 0x19F4 - 0x100;
    const Bytes cycle{0x00, 0x8E, 0x00, 0x6E, 0x00, 0x4E};
    std::copy(cycle.begin(), cycle.end(), image.bytes().begin() + 0x1FC4 - 0x100);

    const LevelStart water = image.read(tables, {kAquaticRuin, 1});
    ASSERT_TRUE(water.underwater.has_value());
    EXPECT_EQ(water.underwater->at(0, 1), 0x0E02);
    EXPECT_EQ(water.underwater->at(3, 15), 0x0E0E);
    EXPECT_FALSE(image.read(tables, {kChemicalPlant, 0}).underwater.has_value());

    const LevelStart casino = image.read(tables, {kCasinoNight, 0});
    const PaletteWords shown = shownPalette(PaletteWords{}, casino);
    EXPECT_EQ((std::vector<std::uint16_t>{shown.at(3, 0xB), shown.at(3, 0xA), shown.at(3, 9),
                                          shown.at(3, 8)}),
              (std::vector<std::uint16_t>{0x08E, 0x06E, 0x04E, 0}));
}

TEST(LevelStart, AnimatedTilesRedrawOnlyTheBlocksThatShowThem) {
    StartImage image;
    const Scripts written = writeScripts(image);
    LevelParts parts;
    parts.chunks.bytes = Bytes(0x10 * 8, 0);
    parts.chunks.bytes[6 * 8 + 7] = 0x02;  // chunk 6 shows tile $102 in its last quarter
    parts.chunks.bytes[6 * 8 + 6] = 0x01;
    parts.blocks.bytes = Bytes(2 * 128, 0);   // blocks 0 and 1 of chunk 0
    parts.blocks.bytes[128 + 2 * 9 + 1] = 6;  // block 1 shows chunk 6
    const LevelStart start = image.read(written.tables, {0, 0}, parts);
    auto art = std::make_unique<LevelArt>();
    drawLevelArt(parts, start, *art);
    EXPECT_EQ(art->blocks.pixel(1, 16 + 15, 16 + 15), 0x6);  // tile $102 frame 0: $A6

    composeVideo(parts.tiles, start, art->video, 7);
    const auto changed = stepAnimation(start, art->video, 8);
    EXPECT_EQ(redrawTiles(parts.blocks, changed, *art), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(art->blocks.pixel(1, 16 + 15, 16 + 15), 0x7);
}

}  // namespace
}  // namespace orvex
