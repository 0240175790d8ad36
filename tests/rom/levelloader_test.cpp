#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <tuple>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "graphics/palette.h"
#include "rom/cartridge.h"
#include "rom/levelloader.h"
#include "rom/romcheck.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

// What pixel (x, y) of block b must look like, worked out from the raw art with the flips
// applied directly instead of through mirrored tables.
std::uint32_t expectedPixel(const DemoRom& rom, std::int16_t level, int b, int x, int y) {
    const DemoZone& zone = rom.zoneOf(level);
    static std::map<std::pair<const DemoRom*, std::int32_t>, std::array<Bytes, 3>> cache;
    auto& art = cache[{&rom, zone.tiles.offset}];
    if (art[0].empty()) {
        for (const auto& [i, stream] :
             {std::pair{0, zone.tiles}, {1, zone.chunks}, {2, zone.blocks}}) {
            art[static_cast<std::size_t>(i)] = decompressKosinski(rom.image, stream.offset)->data;
        }
    }
    const auto& [tiles, chunks, blocks] = art;
    const auto word = [](const Bytes& data, std::size_t at) {
        return static_cast<unsigned>(data[at] << 8 | data[at + 1]);
    };
    const unsigned blockWord = word(blocks, 128u * b + 16u * (y / 16) + 2u * (x / 16));
    const int cx = blockWord & 0x400 ? 15 - x % 16 : x % 16;
    const int cy = blockWord & 0x800 ? 15 - y % 16 : y % 16;
    const unsigned pattern = word(chunks, 8u * (blockWord & 0x3FF) + 2u * ((cy / 8) * 2 + cx / 8));
    const int tx = pattern & 0x800 ? 7 - cx % 8 : cx % 8;
    const int ty = pattern & 0x1000 ? 7 - cy % 8 : cy % 8;
    const std::size_t tileByte = 32u * (pattern & 0x7FF) + 4u * ty + tx / 2u;
    const std::uint8_t packed =
        tileByte < tiles.size() ? tiles[tileByte] : 0;  // fresh tables are 0
    const unsigned index = tx % 2 ? packed & 15u : packed >> 4;
    const unsigned line = (pattern >> 13) & 3;
    if (index == 0) {
        return 0xFF000000u;
    }
    const std::size_t colourAt = line == 0 ? rom.profile.fixedPaletteLine + 2 * index
                                           : zone.paletteOffset + 32 * (line - 1) + 2 * index;
    return toArgb(convertColour(rom.image[colourAt], rom.image[colourAt + 1]));
}

Result<LoadReport> load(const DemoRom& demo, std::int16_t level, LevelData& data,
                        RecordingHost& host) {
    TempRomFile file(demo.image);
    return loadLevel(RomImage(file.path()), demo.profile, level, data, host);
}

using LevelLoader = ProfileTest;

TEST_P(LevelLoader, LoadsEveryAssetOfALevelOverThePreviousOne) {
    const auto& demo = this->demo();
    LevelData data;
    RecordingHost host;
    const auto report = load(demo, 2, data, host);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_TRUE(report->warnings.empty());
    EXPECT_TRUE(report->layoutComplete);
    EXPECT_EQ(data.loadedLevel, 2);
    // The layout is what stays in unpackedData, not the block mappings decoded before it.
    EXPECT_EQ(data.unpackedData, demo.layoutData[2]);
    EXPECT_EQ(data.packedLastIndex + 1, demo.layouts[2].length);
    EXPECT_EQ(data.paletteAddr, demo.zoneOf(2).paletteOffset);
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

    // Tables beyond a level's art keep the previous level's entries.
    ASSERT_TRUE(load(demo, 19, data, host).ok());  // the zone with the most tiles
    const int bigZoneTile = demo.zoneOf(19).tileCount - 1;
    const int lastChunk = demo.zoneOf(19).chunkCount - 1;
    ASSERT_GT(bigZoneTile, demo.zoneOf(0).tileCount);
    const LevelData before = data;
    ASSERT_TRUE(load(demo, 0, data, host).ok());
    EXPECT_EQ(data.unpackedData, demo.layoutData[0]);
    for (int v : {bigZoneTile, bigZoneTile + 2048, bigZoneTile + 6144}) {  // all four flips
        for (int at = 0; at < 64; ++at) {
            EXPECT_EQ(data.tilePixels.at(v, at % 8, at / 8),
                      before.tilePixels.at(v, at % 8, at / 8));
        }
    }
    EXPECT_EQ(data.chunkPixels.at(lastChunk, 3, 4), before.chunkPixels.at(lastChunk, 3, 4));
}

// Every refused file loads nothing: the level loaded before stays, every byte of it.
TEST_P(LevelLoader, RefusedFilesLoadNothingAndStayUnchanged) {
    const auto& demo = this->demo();
    const auto& zone = demo.zoneOf(0);
    const auto art = static_cast<std::size_t>(profile().levelArtTable) + 12u * zone.zone;
    const auto changed = [&](const std::function<void(Bytes&)>& damage) {
        Bytes rom = demo.image;
        damage(rom);
        return rom;
    };
    Bytes smd(512, 0);  // a copier header, then 16 KiB blocks
    smd[8] = 0xAA;
    smd[9] = 0xBB;
    for (std::size_t block = 0; block < demo.image.size(); block += 16384) {
        for (std::size_t odd = 1; odd < 16384; odd += 2) {
            smd.push_back(demo.image[block + odd]);
        }
        for (std::size_t even = 0; even < 16384; even += 2) {
            smd.push_back(demo.image[block + even]);
        }
    }
    // The first five are not plain, whole cartridge images; the others fail as their damage
    // makes the decoders fail.
    const std::vector<std::tuple<std::string, Bytes, ErrorCode>> cases = {
        {"empty", {}, ErrorCode::NotARom},
        {"no SEGA", changed([](Bytes& rom) { rom[0x100] = 'X'; }), ErrorCode::NotARom},
        {"smd", smd, ErrorCode::NotPlainImage},
        {"byte-swapped", changed([](Bytes& rom) {
             for (std::size_t at = 0; at < rom.size(); at += 2) {
                 std::swap(rom[at], rom[at + 1]);
             }
         }),
         ErrorCode::NotPlainImage},
        {"cut short", Bytes(demo.image.begin(), demo.image.begin() + 0xE471), ErrorCode::Truncated},
        {"zone 0xFF", changed([&](Bytes& rom) { rom[profile().levelList] = 0xFF; }), {}},
        {"directory past the end",
         changed([&](Bytes& rom) { putLong(rom, profile().layoutDirectoryPointer, 0x200000); }),
         {}},
        {"tile art past the end", changed([&](Bytes& rom) { putLong(rom, art, 0x00FFFFF0); }), {}},
        {"block art past the end",
         changed([&](Bytes& rom) { putLong(rom, art + 8, 0x01FFFFFF); }),
         {}},
        {"tile art running off the end",
         changed([&](Bytes& rom) {
             std::copy_n(rom.begin() + zone.tiles.offset, 20, rom.end() - 20);
             putLong(rom, art, static_cast<std::uint32_t>(rom.size() - 20));
         }),
         {}},
        {"empty layout",
         changed([&](Bytes& rom) {
             const Bytes endOnly = {0x02, 0x00, 0x00, 0xF0, 0x00};
             std::copy(endOnly.begin(), endOnly.end(), rom.begin() + demo.layouts[0].offset);
         }),
         {}},
    };
    LevelData before;
    RecordingHost host;
    ASSERT_TRUE(load(demo, 19, before, host).ok());  // another zone than level 0's
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [what, image, code] = cases[i];
        TempRomFile file(image);
        const RomImage rom(file.path());
        LevelData data = before;
        const auto loaded = loadLevel(rom, profile(), 0, data, host);
        ASSERT_FALSE(loaded.ok()) << what;
        EXPECT_FALSE(loaded.error().message.empty()) << what;
        EXPECT_EQ(data.loadedLevel, 19) << what;
        EXPECT_EQ(data.unpackedData, before.unpackedData) << what;
        EXPECT_TRUE(data.levelPalette == before.levelPalette &&
                    data.tilePixels == before.tilePixels &&
                    data.blockPictures == before.blockPictures)
            << what;
        EXPECT_EQ(host.ends, host.begins) << what;
        if (i < 5) {
            EXPECT_EQ(loaded.error().code, code) << what << ": " << loaded.error().describe();
            EXPECT_EQ(checkROM(rom, host).error().code, code) << what;
            EXPECT_EQ(migrateLayouts(rom, profile()).error().code, code) << what;
        }
        EXPECT_EQ(file.contents(), image) << what;
    }
    EXPECT_TRUE(host.questions.empty());
}

// A layout that breaks off shows the message and counts as not loaded; short block mappings
// warn and draw black.
TEST_P(LevelLoader, DamagedStreamsLoadWhatTheyHold) {
    LevelData data;
    RecordingHost host;
    const auto weird = load(demo({.weirdLayoutLevel = 3}), 3, data, host);
    ASSERT_TRUE(weird.ok());
    EXPECT_FALSE(weird->layoutComplete);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Argh, weird offset!"});
    EXPECT_EQ(data.unpackedData, (Bytes{0x41, 0x42, 0x43}));
    EXPECT_FALSE(data.loadedLevel.has_value());

    const auto& demo = this->demo({.shortBlockMappings = true, .weirdLayoutLevel = {}});
    data = LevelData{};
    const auto report = load(demo, 0, data, host);
    ASSERT_TRUE(report.ok());
    ASSERT_EQ(report->warnings.size(), 1u);
    EXPECT_NE(report->warnings[0].find("200 of 256"), std::string::npos) << report->warnings[0];
    EXPECT_EQ(data.loadedLevel, 0);
    for (int at = 0; at < 128 * 128; at += 61) {
        ASSERT_EQ(data.blockPictures[255].pixel(at % 128, at / 128), 0xFF000000u);
    }
    // Block 200 keeps its first 35 words: chunk rows 0 to 3 and three chunks of row 4.
    EXPECT_EQ(data.blockPictures[200].pixel(5, 5), expectedPixel(demo, 0, 200, 5, 5));
    EXPECT_EQ(data.blockPictures[200].pixel(120, 120), 0xFF000000u);
}

ORVEX_ALL_PROFILES(LevelLoader);

}  // namespace
}  // namespace orvex::testing
