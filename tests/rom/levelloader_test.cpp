#include <gtest/gtest.h>

#include <array>
#include <map>

#include "compression/kosinski.h"
#include "graphics/palette.h"
#include "rom/leveldirectory.h"
#include "rom/levelloader.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::demoRom;
using testing::RecordingHost;
using testing::TempRomFile;

std::vector<std::uint8_t> unpack(const DemoRom& rom, const DemoStream& stream) {
    return decompressKosinski(rom.image, stream.offset)->data;
}

// What pixel (x, y) of block b must look like, worked out from the raw art with the flips
// applied directly instead of through mirrored tables.
std::uint32_t expectedPixel(const DemoRom& rom, std::int16_t level, int b, int x, int y) {
    const DemoZone& zone = rom.zoneOf(level);
    static std::map<std::pair<const DemoRom*, std::int32_t>,
                    std::array<std::vector<std::uint8_t>, 3>>
        cache;
    auto& art = cache[{&rom, zone.tiles.offset}];
    if (art[0].empty()) {
        art = {unpack(rom, zone.tiles), unpack(rom, zone.chunks), unpack(rom, zone.blocks)};
    }
    const auto& [tiles, chunks, blocks] = art;
    const auto word = [](const std::vector<std::uint8_t>& data, std::size_t at) {
        return static_cast<unsigned>(data[at] << 8 | data[at + 1]);
    };
    const unsigned blockWord = word(blocks, 128u * b + 16u * (y / 16) + 2u * (x / 16));
    int cx = x % 16;
    int cy = y % 16;
    if (blockWord & 0x400)
        cx = 15 - cx;
    if (blockWord & 0x800)
        cy = 15 - cy;
    const unsigned pattern = word(chunks, 8u * (blockWord & 0x3FF) + 2u * ((cy / 8) * 2 + cx / 8));
    int tx = cx % 8;
    int ty = cy % 8;
    if (pattern & 0x800)
        tx = 7 - tx;
    if (pattern & 0x1000)
        ty = 7 - ty;
    const std::size_t tileByte = 32u * (pattern & 0x7FF) + 4u * ty + tx / 2u;
    const std::uint8_t packed =
        tileByte < tiles.size() ? tiles[tileByte] : 0;  // fresh tables are 0
    const unsigned index = tx % 2 ? packed & 15u : packed >> 4;
    const unsigned line = (pattern >> 13) & 3;
    if (index == 0) {
        return 0xFF000000u;
    }
    const std::size_t colourAt = line == 0 ? kFixedPaletteLineOffset + 2 * index
                                           : zone.paletteOffset + 32 * (line - 1) + 2 * index;
    return toArgb(convertColour(rom.image[colourAt], rom.image[colourAt + 1]));
}

TEST(LevelLoader, LoadsEveryAssetOfALevel) {
    const auto& demo = demoRom();
    TempRomFile file(demo.image);
    LevelData data;
    RecordingHost host;
    const auto report = loadLevel(RomImage(file.path()), 2, data, host);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_TRUE(report->warnings.empty());
    EXPECT_TRUE(report->layoutComplete);
    EXPECT_EQ(data.loadedLevel, 2);

    // The layout is what stays in unpackedData, not the block mappings decoded before it.
    EXPECT_EQ(data.unpackedData, demo.layoutData[2]);
    EXPECT_EQ(data.packedLastIndex + 1, demo.layouts[2].length);
    EXPECT_EQ(data.paletteAddr, demo.zoneOf(2).paletteOffset);
    EXPECT_EQ(data.levelPalette.at(1, 0), 0u);  // colour 0 is black on every line

    // Every pixel of a few blocks whose words use all four flips and palette lines.
    for (int b : {0x00, 0x3B, 0x9E, 0xFF}) {
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
                ASSERT_EQ(data.blockPictures[static_cast<std::size_t>(b)].pixel(x, y),
                          expectedPixel(demo, 2, b, x, y))
                    << "block " << b << " pixel " << x << "," << y;
            }
        }
    }

    EXPECT_EQ(host.begins, 1);
    EXPECT_EQ(host.ends, 1);
    EXPECT_EQ(host.captions,
              (std::vector<std::string>{"Extracting 8x8 Tiles ...", "Extracting 16x16 Tiles ...",
                                        "Extracting 128x128 Tiles ..."}));
    EXPECT_EQ(host.widths.back(), 305);
    EXPECT_TRUE(host.messages.empty());
}

TEST(LevelLoader, ActsShareArtAndEveryLoadRereadsTheLayout) {
    const auto& demo = demoRom();
    TempRomFile file(demo.image);
    const RomImage rom(file.path());
    LevelData first;
    LevelData second;
    RecordingHost host;
    ASSERT_TRUE(loadLevel(rom, 0, first, host).ok());
    ASSERT_TRUE(loadLevel(rom, 1, second, host).ok());
    EXPECT_EQ(first.blockPictures, second.blockPictures);
    EXPECT_EQ(first.levelPalette, second.levelPalette);
    EXPECT_NE(first.unpackedData, second.unpackedData);

    first.unpackedData[0] ^= 0xFF;  // an unsaved edit is not carried into a reload
    ASSERT_TRUE(loadLevel(rom, 0, first, host).ok());
    EXPECT_EQ(first.unpackedData, demo.layoutData[0]);
}

TEST(LevelLoader, TablesBeyondALevelsArtKeepThePreviousLevel) {
    TempRomFile file(demoRom().image);
    const RomImage rom(file.path());
    LevelData data;
    RecordingHost host;
    ASSERT_TRUE(loadLevel(rom, 19, data, host).ok());  // the zone with the most tiles
    const int bigZoneTile = demoRom().zoneOf(19).tileCount - 1;
    ASSERT_GT(bigZoneTile, demoRom().zoneOf(0).tileCount);
    const TilePixels before = data.tilePixels;
    const ChunkPixels chunksBefore = data.chunkPixels;
    ASSERT_TRUE(loadLevel(rom, 0, data, host).ok());
    for (int v : {bigZoneTile, bigZoneTile + 2048, bigZoneTile + 6144}) {
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                EXPECT_EQ(data.tilePixels.at(v, x, y), before.at(v, x, y));
            }
        }
    }
    const int lastChunk = demoRom().zoneOf(19).chunkCount - 1;
    EXPECT_EQ(data.chunkPixels.at(lastChunk, 3, 4), chunksBefore.at(lastChunk, 3, 4));
}

TEST(LevelLoader, TruncatedRomLoadsNothing) {
    const auto& demo = demoRom();
    const auto& zone = demo.zoneOf(0);
    const std::vector<std::int64_t> cuts = {
        0x2782 + 8 * zone.paletteNumber + 2,  // palette pointer table
        0x29E2 + 40,                          // inside the 128 bytes read at the fixed line
        0x9454 + 1,                           // level list
        0xE46E + 2,                           // layout directory pointer
        0x42594 + 12 * zone.zone + 6,         // level art table
        0x45A80 + 1,                          // layout directory
        demo.layouts[0].offset + demo.layouts[0].length / 2,  // inside the layout stream
    };
    TempRomFile good(demo.image);
    for (const std::int64_t cut : cuts) {
        LevelData data;
        RecordingHost host;
        ASSERT_TRUE(loadLevel(RomImage(good.path()), 1, data, host).ok());
        const LevelData before = data;

        std::vector<std::uint8_t> cutImage(demo.image.begin(), demo.image.begin() + cut);
        TempRomFile file(cutImage);
        const auto report = loadLevel(RomImage(file.path()), 0, data, host);
        ASSERT_FALSE(report.ok()) << "cut at " << cut;
        EXPECT_FALSE(report.error().message.empty());
        EXPECT_EQ(data.loadedLevel, before.loadedLevel) << "cut at " << cut;
        EXPECT_EQ(data.unpackedData, before.unpackedData) << "cut at " << cut;
        EXPECT_EQ(data.blockPictures[7], before.blockPictures[7]) << "cut at " << cut;
        EXPECT_EQ(host.ends, host.begins);
    }
}

TEST(LevelLoader, WeirdOffsetInTheLayoutShowsTheMessageAndCountsAsNotLoaded) {
    DemoRomOptions options;
    options.weirdLayoutLevel = 3;
    TempRomFile file(demoRom(options).image);
    LevelData data;
    RecordingHost host;
    const auto report = loadLevel(RomImage(file.path()), 3, data, host);
    ASSERT_TRUE(report.ok());
    EXPECT_FALSE(report->layoutComplete);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Argh, weird offset!"});
    EXPECT_EQ(data.unpackedData, (std::vector<std::uint8_t>{0x41, 0x42, 0x43}));
    EXPECT_FALSE(data.loadedLevel.has_value());
}

TEST(LevelLoader, ShortBlockMappingsDrawBlackAndWarn) {
    DemoRomOptions options;
    options.shortBlockMappings = true;
    TempRomFile file(demoRom(options).image);
    LevelData data;
    RecordingHost host;
    const auto report = loadLevel(RomImage(file.path()), 0, data, host);
    ASSERT_TRUE(report.ok());
    ASSERT_EQ(report->warnings.size(), 1u);
    EXPECT_NE(report->warnings[0].find("200 of 256"), std::string::npos) << report->warnings[0];
    EXPECT_EQ(data.loadedLevel, 0);
    const Image& last = data.blockPictures[255];
    for (int y = 0; y < 128; y += 9) {
        for (int x = 0; x < 128; x += 7) {
            ASSERT_EQ(last.pixel(x, y), 0xFF000000u);
        }
    }
    // Block 200 keeps its first 35 words: chunk rows 0 to 3 and three chunks of row 4.
    EXPECT_EQ(data.blockPictures[200].pixel(5, 5), expectedPixel(demoRom(), 0, 200, 5, 5));
    EXPECT_EQ(data.blockPictures[200].pixel(120, 120), 0xFF000000u);
}

}  // namespace
}  // namespace orvex
