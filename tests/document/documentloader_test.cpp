#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <tuple>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "document/documenttestsupport.h"
#include "graphics/levelart.h"
#include "graphics/palette.h"
#include "rom/cartridge.h"
#include "rom/romcheck.h"

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
    return colourOf(static_cast<std::uint16_t>(rom.image[colourAt] << 8 | rom.image[colourAt + 1]));
}

Result<LoadedLevel> load(const DemoRom& demo, std::int16_t level) {
    return loadDocument(demo.image, demo.profile, level);
}

void expectBlocksAsDrawnFromTheRom(const DemoRom& demo, std::int16_t level, const LevelArt& art,
                                   std::initializer_list<int> blocks) {
    for (int b : blocks) {
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
                ASSERT_EQ(art.colours[art.blocks.pixel(b, x, y)],
                          expectedPixel(demo, level, b, x, y))
                    << "block " << b << " pixel " << x << "," << y;
            }
        }
    }
}

using LevelLoader = ProfileTest;

TEST_P(LevelLoader, ReadsEveryPartOfALevelAndWhereItLies) {
    const auto& demo = this->demo();
    const auto loaded = load(demo, 2);
    ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
    EXPECT_TRUE(loaded->warnings.empty() && loaded->brokenStreams.empty());
    const LevelDocument& document = *loaded->document;
    EXPECT_TRUE(document.layoutComplete());
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.level(), 2);
    EXPECT_EQ(document.layout().bytes(), demo.layoutData[2]);
    const DemoZone& zone = demo.zoneOf(2);
    const std::vector<std::pair<Part, DemoStream>> streams{{Part::Layout, demo.layouts[2]},
                                                           {Part::TileArt, zone.tiles},
                                                           {Part::ChunkMappings, zone.chunks},
                                                           {Part::BlockMappings, zone.blocks}};
    for (const auto& [part, stream] : streams) {
        ASSERT_EQ(document.stored(part).size(), 1u);
        EXPECT_EQ(document.stored(part)[0].offset, stream.offset) << partName(part);
        EXPECT_EQ(document.stored(part)[0].bytes.size(), static_cast<std::size_t>(stream.length));
    }
    ASSERT_EQ(document.stored(Part::Palette).size(), 2u);
    EXPECT_EQ(document.stored(Part::Palette)[1].offset, zone.paletteOffset);
    EXPECT_EQ(document.parts().palette.at(1, 3),
              readWord(demo.image, zone.paletteOffset + 6).value());

    // Every pixel of a few blocks whose words use all four flips and palette lines.
    auto art = std::make_unique<LevelArt>();
    RecordingProgress progress;
    drawLevelArt(document.parts(), *art, &progress);
    expectBlocksAsDrawnFromTheRom(demo, 2, *art, {0x00, 0x3B, 0x9E, 0xFF});
    EXPECT_EQ(progress.reports.back(), (RecordingProgress::Report{Stage::Blocks, 256, 256}));
}

// Every refused file makes no document, and nothing writes into it.
TEST_P(LevelLoader, RefusedFilesMakeNoDocumentAndStayUnchanged) {
    const auto& demo = this->demo();
    const auto& zone = demo.zoneOf(0);
    const auto art = static_cast<std::size_t>(profile().levelArtTable) + 12u * zone.zone;
    const auto changed = [&](const std::function<void(Bytes&)>& damage) {
        Bytes rom = demo.image;
        damage(rom);
        return rom;
    };
    Bytes smd = interleavedSmd(demo.image);
    smd[8] = 0xAA;
    smd[9] = 0xBB;
    // The first four are not plain, whole cartridge images; the others fail as their damage
    // makes the decoders fail.
    const std::vector<std::tuple<std::string, Bytes, ErrorCode>> cases = {
        {"empty", {}, ErrorCode::NotARom},
        {"no SEGA", changed([](Bytes& rom) { rom[0x100] = 'X'; }), ErrorCode::NotARom},
        {"smd", smd, ErrorCode::NotPlainImage},
        {"cut short", Bytes(demo.image.begin(), demo.image.end() - 1), ErrorCode::Truncated},
        {"zone 0xFF", changed([&](Bytes& rom) { rom[profile().levelList] = 0xFF; }), {}},
        {"directory past the end",
         changed([&](Bytes& rom) { putLong(rom, profile().layoutDirectoryPointer, 0x200000); }),
         {}},
        {"tile art past the end", changed([&](Bytes& rom) { putLong(rom, art, 0x00FFFFF0); }), {}},
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
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [what, image, code] = cases[i];
        TempRomFile file(image);
        const RomImage rom(file.path());
        const auto loaded = loadDocument(image, profile(), 0);
        ASSERT_FALSE(loaded.ok()) << what;
        EXPECT_FALSE(loaded.error().message.empty()) << what;
        if (i < 4) {
            EXPECT_EQ(loaded.error().code, code) << what << ": " << loaded.error().describe();
            EXPECT_EQ(checkROM(rom).error().code, code) << what;
            EXPECT_EQ(migrateLayouts(rom, profile()).error().code, code) << what;
        }
        EXPECT_EQ(file.contents(), image) << what;
    }
}

// A layout that breaks off is reported and makes the document unsavable; short block mappings
// warn and draw colour 0.
TEST_P(LevelLoader, DamagedStreamsLoadWhatTheyHold) {
    const DemoRom& broken = demo({.weirdLayoutLevel = 3});
    const auto weird = load(broken, 3);
    ASSERT_TRUE(weird.ok());
    // Three literals, then the full copy in stream bytes 5 and 6 reaches before the start.
    const std::int32_t start = broken.layouts[3].offset;
    EXPECT_EQ(weird->brokenStreams, (std::vector<BrokenStream>{{Part::Layout, start, start + 6}}));
    EXPECT_FALSE(weird->document->layoutComplete());
    EXPECT_EQ(weird->document->layout().bytes(), (Bytes{0x41, 0x42, 0x43}));

    const auto& demo = this->demo({.shortBlockMappings = true, .weirdLayoutLevel = {}});
    const auto loaded = load(demo, 0);
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded->warnings.size(), 1u);
    EXPECT_NE(loaded->warnings[0].find("200 of 256"), std::string::npos) << loaded->warnings[0];
    EXPECT_TRUE(loaded->document->layoutComplete());
    auto art = std::make_unique<LevelArt>();
    drawLevelArt(loaded->document->parts(), *art);
    for (int at = 0; at < 128 * 128; at += 61) {
        ASSERT_EQ(art->blocks.pixel(255, at % 128, at / 128), 0);
    }
    // Block 200 keeps its first 35 words: chunk rows 0 to 3 and three chunks of row 4.
    EXPECT_EQ(art->colours[art->blocks.pixel(200, 5, 5)], expectedPixel(demo, 0, 200, 5, 5));
    EXPECT_EQ(art->blocks.pixel(200, 120, 120), 0);
}

ORVEX_ALL_PROFILES(LevelLoader);

// A list at an odd address loads, with a warning that the game would stop there.
TEST(DocumentLoader, AListAtAnOddAddressIsNamed) {
    DemoRom demo = demoRom();
    const std::int32_t directory = *demo.profile.objectDirectory;
    const ZoneAct act{demo.levelZone[0], demo.levelAct[0]};
    const std::int32_t odd = directory + 0x4001;
    for (std::int32_t at = odd; at < odd + 12; at += 6) {
        std::copy_n(std::array<std::uint8_t, 6>{0xFF, 0xFF, 0, 0, 0, 0}.begin(), 6,
                    demo.image.begin() + at);
    }
    putWord(demo.image, static_cast<std::size_t>(directory + directoryWordOffset(act)),
            static_cast<std::uint16_t>(odd + 6 - directory));
    const auto loaded = load(demo, 0);
    ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
    EXPECT_TRUE(loaded->document->parts().objects->empty());
    ASSERT_EQ(loaded->warnings.size(), 1u);
    EXPECT_NE(loaded->warnings.front().find("odd address"), std::string::npos);
}

}  // namespace
}  // namespace orvex::testing
