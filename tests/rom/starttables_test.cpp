#include "rom/starttables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "common/byteorder.h"
#include "rom/codepatterns.h"
#include "rom/levelstart.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

using StartTablesFound = ProfileTest;

std::uint16_t wordAt(const Bytes& image, std::int64_t at) {
    return readWord(image, at).value();
}

Bytes codeBytes(std::string_view code) {
    Bytes bytes;
    for (const std::int16_t byte : parsePattern(code)) {
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return bytes;
}

const StartTableReport& reportNamed(const LocatedStartTables& located, std::string_view name) {
    static const StartTableReport none;
    for (const StartTableReport& report : located.reports) {
        if (report.name == name) {
            return report;
        }
    }
    ADD_FAILURE() << "no report " << name;
    return none;
}

// Every table of the demo image is found where the builder put it, with the values its code
// gives (first tiles, copied tiles, palette ids, the ring's art word), and nothing is missing.
TEST_P(StartTablesFound, EveryTableIsWhereTheDemoPutIt) {
    const DemoRom& demo = this->demo();
    const LocatedStartTables located = locateStartTables(demo.image, profile());
    EXPECT_EQ(located.tables, demo.start.tables);
    EXPECT_TRUE(located.missing().empty()) << located.missing().front();
    ASSERT_EQ(located.reports.size(), 17u);
    for (const StartTableReport& report : located.reports) {
        EXPECT_TRUE(report.offset && report.codeAt && report.problem.empty()) << report.name;
    }
    EXPECT_EQ(reportNamed(located, "Hill Top extra art").found,
              hexOffset(demo.start.tables.hillTopArt->stream) + ", first tile 0x1FC");
    EXPECT_EQ(reportNamed(located, "underwater palettes").found, "palettes 0x15, 0x16, 0x17");
}

ORVEX_ALL_PROFILES(StartTablesFound);

// Every level's start reads back through the loader's rules as the demo wrote it, with nothing
// missing (the water levels with all four underwater lines); the blocks Hill Top hides are ones its
// layouts never use. What the demo writes is the same for every table layout.
TEST(DemoLevelStart, EveryLevelReadsBackAsWritten) {
    const DemoRom& demo = demoRom();
    std::int32_t water = 0;
    for (std::size_t level = 0; level < kLevelCount; ++level) {
        const std::uint8_t zone = demo.levelZone[level];
        const LevelStart start = readLevelStart(demo.image, demo.profile, demo.start.tables,
                                                {zone, demo.levelAct[level]}, 0);
        EXPECT_TRUE(start.problems.empty() && start.missing.empty()) << level;
        EXPECT_EQ(start.hiddenBlocks.count(), zone == kHillTop ? 50u : 0u) << level;
        for (const std::uint8_t block : demo.layoutData[level]) {
            ASSERT_FALSE(start.hiddenBlocks.test(block)) << level;
        }
        if (start.underwater) {  // all four lines of one of the demo's underwater palettes
            Bytes colours;
            for (const std::uint16_t word : start.underwater->words) {
                colours.insert(colours.end(), {static_cast<std::uint8_t>(word >> 8),
                                               static_cast<std::uint8_t>(word)});
            }
            EXPECT_NE(std::ranges::find(demo.start.underwaterColours, colours),
                      demo.start.underwaterColours.end())
                << level;
            ++water;
        }
        const auto& record = demo.start.records[zone];
        ASSERT_EQ(start.chunkRecord.has_value(), record.has_value()) << level;
        if (record) {
            EXPECT_EQ(start.chunkRecord->first, record->firstChunk);
            EXPECT_EQ(start.chunkRecord->bytes.size(), 2 * record->words.size());
            EXPECT_EQ(wordAt(start.chunkRecord->bytes, 0), record->words.front());
        }
        // The zones whose animation routine runs a script list.
        const std::set<std::uint8_t> animated{0, 4, 5, 7, 8, 10, 12, 13, 14, 15};
        const auto& scripts =
            animated.contains(zone) ? demo.start.scripts[zone] : std::vector<DemoScript>{};
        ASSERT_EQ(start.scripts.size(), scripts.size()) << level;
        for (std::size_t s = 0; s < scripts.size(); ++s) {
            EXPECT_EQ(start.scripts[s].destination, scripts[s].destinationTile);
            EXPECT_EQ(start.scripts[s].tilesPerFrame, scripts[s].tilesPerFrame);
            ASSERT_EQ(start.scripts[s].frames.size(), scripts[s].frames.size());
            for (std::size_t f = 0; f < scripts[s].frames.size(); ++f) {
                const auto [first, duration] = scripts[s].frames[f];
                EXPECT_EQ(start.scripts[s].frames[f], (AnimationScript::Frame{first, duration + 1}))
                    << level << " " << s << " " << f;
            }
        }
    }
    EXPECT_GT(water, 0);
}

// One way of damaging a copy of the demo image, the tables it must leave out and part of the
// reason given for the first of them.
struct Damage {
    std::string label;
    std::function<void(Bytes&, const DemoRom&)> apply;
    std::vector<std::string> missing;
    std::string problem;
};

std::int32_t codeOf(const DemoRom& demo, std::string_view name) {
    return reportNamed(locateStartTables(demo.image, demo.profile), name).codeAt.value_or(0);
}

std::vector<Damage> damages() {
    const std::vector<std::string> hillTopArt{"Hill Top extra art", "Hill Top copied tiles"};
    return {
        {"ArtCodeBroken",
         [](Bytes& image, const DemoRom& demo) {
             image[static_cast<std::size_t>(codeOf(demo, "Hill Top extra art") + 3)] = 0x17;
         },
         hillTopArt, "not found: its code was not found"},
        {"CopyLengthDisagrees",
         [](Bytes& image, const DemoRom& demo) {
             const std::int32_t at = codeOf(demo, "Hill Top copied tiles") + 12;
             putWord(image, static_cast<std::size_t>(at),
                     static_cast<std::uint16_t>(wordAt(image, at) + 0x20));
         },
         hillTopArt, "decodes to 64 tiles from tile 0x1FC, but the loader copies 573"},
        {"CopyLengthNotWholeTiles",
         [](Bytes& image, const DemoRom& demo) {
             const std::int32_t at = codeOf(demo, "Death Egg copied tiles") + 10;
             putWord(image, static_cast<std::size_t>(at), 0x6010);
         },
         {"Death Egg copied tiles"},
         "the loader copies 0x6010 bytes, not a whole number"},
        {"ChunkStreamCorrupt",
         [](Bytes& image, const DemoRom& demo) {
             const auto at = static_cast<std::size_t>(demo.start.tables.hillTopChunks->stream);
             std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at), 8, std::uint8_t{0});
         },
         {"Hill Top extra chunks"},
         "its stream at"},
        {"CliffArtPastTheEnd",
         [](Bytes& image, const DemoRom& demo) {
             putLong(image, static_cast<std::size_t>(codeOf(demo, "Hill Top cliff art") + 2),
                     0x100000);
         },
         {"Hill Top cliff art"},
         "names 0x100000, past the end of the image"},
        {"CliffArtOutsideTheCartridge",
         [](Bytes& image, const DemoRom& demo) {
             putLong(image, static_cast<std::size_t>(codeOf(demo, "Hill Top cliff art") + 2),
                     0xFF000000);
         },
         {"Hill Top cliff art"},
         "names no place inside the image"},
        {"CliffArtTileCount",
         [](Bytes& image, const DemoRom& demo) {
             putWord(image, static_cast<std::size_t>(*demo.start.tables.hillTopCliffArt), 0xBF);
         },
         {"Hill Top cliff art"},
         "its Nemesis art at"},
        {"CliffOffsetNotABlock",
         [](Bytes& image, const DemoRom& demo) {
             putWord(image, static_cast<std::size_t>(*demo.start.tables.hillTopCliffOffsets + 10),
                     0x1040);
         },
         {"Hill Top cliff offsets"},
         "its word 5 (0x1040) names no place of the block table"},
        {"RecordPastTheChunkTable",
         [](Bytes& image, const DemoRom& demo) {
             putWord(image, static_cast<std::size_t>(demo.start.records[12]->offset), 0x1770);
         },
         {"chunk records"},
         "the record of zone 12 at"},
        {"TooManyScripts",
         [](Bytes& image, const DemoRom& demo) {
             const std::int32_t table = *demo.start.tables.animations;
             const std::int32_t list = table + static_cast<std::int16_t>(wordAt(image, table + 2));
             putWord(image, static_cast<std::size_t>(list), 8);
         },
         {"animations"},
         "the script list of zone 0 at"},
        {"ScriptArtPastTheEnd",
         [](Bytes& image, const DemoRom& demo) {
             const std::int32_t table = *demo.start.tables.animations;
             const std::int32_t list =
                 table + static_cast<std::int16_t>(wordAt(image, table + 4 * 12 + 2));
             image[static_cast<std::size_t>(list + 3)] = 0x7F;
         },
         {"animations"},
         "the script at"},
        {"SlotCodeTwice",
         [](Bytes& image, const DemoRom& demo) {
             const auto code = static_cast<std::size_t>(codeOf(demo, "slot pictures"));
             std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(code), 12,
                         image.begin() + 0xFFF00);
         },
         {"slot pictures"},
         "not found: its code appears 2 times"},
        {"AnimalCodeInBothForms",
         [](Bytes& image, const DemoRom&) {
             const auto both = codeBytes(
                 "7002 6100 1234 7000 1038 FE10 103B 0020 "
                 "7002 4EB9 0000 1234 7000 1038 FE10 103B 0020");
             std::copy(both.begin(), both.end(), image.begin() + 0xFFE00);
         },
         {"animal cue lists"},
         "not found: its code appears"},
        {"AnimalListPastTheLast",
         [](Bytes& image, const DemoRom& demo) {
             image[static_cast<std::size_t>(*demo.start.tables.animalCues + 16)] = 0x43;
         },
         {"animal cue lists"},
         "its byte for zone 16 names cue list 0x43, past the last"},
        {"UnderwaterIdsDisagree",
         [](Bytes& image, const DemoRom& demo) {
             image[static_cast<std::size_t>(codeOf(demo, "underwater palettes") + 11)] = 0x18;
         },
         {"underwater palettes"},
         "not found: its code appears 2 times with different values"},
        {"UnderwaterPaletteOutside",
         [](Bytes& image, const DemoRom& demo) {
             putLong(image, static_cast<std::size_t>(demo.profile.palettePointerTable + 8 * 0x17),
                     0xFFFC0);
         },
         {"underwater palettes"},
         "palette 0x17 names no colours inside the image"},
        {"RingMappingsOdd",
         [](Bytes& image, const DemoRom& demo) {
             const auto at = static_cast<std::size_t>(codeOf(demo, "ring mappings") + 6);
             putLong(image, at, static_cast<std::uint32_t>(*demo.start.tables.ringMappings + 1));
         },
         {"ring mappings"},
         ", an odd address"},
    };
}

class DamagedStartTables : public ::testing::TestWithParam<Damage> {};

// The damaged table is left out with its reason; every other table is still found. The tables
// are found by their code alone, so one table layout shows it.
TEST_P(DamagedStartTables, LeaveOutOnlyWhatBroke) {
    const Damage& damage = GetParam();
    const DemoRom& demo = demoRom();
    Bytes image = demo.image;
    damage.apply(image, demo);
    const LocatedStartTables located = locateStartTables(image, demo.profile);
    EXPECT_EQ(located.missing(), damage.missing);
    const StartTableReport& report = reportNamed(located, damage.missing.front());
    EXPECT_NE(report.problem.find(damage.problem), std::string::npos) << report.problem;
    EXPECT_FALSE(report.offset);
}

std::string damageLabel(const ::testing::TestParamInfo<Damage>& damage) {
    return damage.param.label;
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedStartTables, ::testing::ValuesIn(damages()), damageLabel);

// An image without any of the code: every table is missing, each for want of its code.
TEST(StartTables, AnImageWithoutTheCodeHasNone) {
    const Bytes image(0x10000, 0x4E);
    const LocatedStartTables located =
        locateStartTables(image, revisionProfile(RomKind::Revision01));
    EXPECT_EQ(located.tables, StartTables{});
    ASSERT_EQ(located.missing().size(), 17u);
    for (const StartTableReport& report : located.reports) {
        EXPECT_EQ(report.problem, "not found: its code was not found") << report.name;
    }
}

}  // namespace
}  // namespace orvex::testing
