#include <gtest/gtest.h>

#include <set>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

std::vector<std::uint8_t> unpacked(const DemoRom& demo, const DemoStream& stream) {
    return decompressKosinski(demo.image, stream.offset)->data;
}

using DemoRomTest = ProfileTest;

TEST_P(DemoRomTest, IsAValidCartridgeImageWithTheGamesTables) {
    const auto& demo = this->demo();
    const HeaderFields header;
    ASSERT_EQ(demo.image.size(), 0x100000u);
    EXPECT_EQ(std::string(demo.image.begin() + 0x100, demo.image.begin() + 0x104), "SEGA");
    EXPECT_EQ(*readLong(demo.image, header.romEnd), 0xFFFFF);
    EXPECT_EQ(*storedChecksum(demo.image, header), *computeChecksum(demo.image, header));
    EXPECT_EQ(*readLong(demo.image, profile().layoutDirectoryPointer),
              *profile().factoryLayoutDirectory);

    std::set<std::pair<int, int>> pairs;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto zoneAct = *levelZoneAct(demo.image, profile(), level);
        pairs.insert({zoneAct.zone, zoneAct.act});
        EXPECT_EQ(
            decompressKosinski(demo.image, *layoutAddress(demo.image, profile(), level))->data,
            demo.layoutData[static_cast<std::size_t>(level)]);
        const DemoZone& zone = demo.zoneOf(level);
        for (const auto& [increment, stream] :
             {std::pair{0, zone.tiles}, {4, zone.chunks}, {8, zone.blocks}}) {
            const auto entry =
                *getDataAddr(demo.image, profile(), level, static_cast<std::int16_t>(increment));
            ASSERT_EQ(artOffset(entry), stream.offset);
            const auto decoded = decompressKosinski(demo.image, stream.offset);
            ASSERT_TRUE(decoded.ok() && !decoded->weirdOffset);
            EXPECT_EQ(decoded->packedLastIndex + 1, stream.length);
            if (increment == 8) {
                EXPECT_EQ(decoded->data.size(), 32768u);
            }
        }
    }
    EXPECT_EQ(pairs.size(), 20u);  // every level has a layout of its own
    EXPECT_EQ(demo.layoutData[0].size(), 4096u);

    // Zone 0's art uses every priority, palette line and flip of a pattern and every block flip.
    const auto chunks = unpacked(demo, demo.zoneOf(0).chunks);
    const auto blocks = unpacked(demo, demo.zoneOf(0).blocks);
    std::set<unsigned> patternBits;
    std::set<unsigned> blockFlips;
    for (std::size_t at = 0; at < chunks.size(); at += 2) {
        patternBits.insert(chunks[at] >> 3u);
    }
    for (std::size_t at = 0; at < blocks.size(); at += 2) {
        blockFlips.insert((blocks[at] >> 2u) & 3u);
    }
    EXPECT_EQ(patternBits.size(), 32u);
    EXPECT_EQ(blockFlips.size(), 4u);
}

ORVEX_ALL_PROFILES(DemoRomTest);

TEST(DemoRom, OptionsMakeTheOddCases) {
    const auto& big = demoRom({.fullTileArt = true, .weirdLayoutLevel = {}});
    EXPECT_EQ(unpacked(big, big.zoneOf(0).tiles).size(), 65536u);
    const auto& small = demoRom({.shortBlockMappings = true, .weirdLayoutLevel = {}});
    EXPECT_LT(unpacked(small, small.zoneOf(0).blocks).size(), 32768u);
    const auto& broken = demoRom({.weirdLayoutLevel = 5});
    EXPECT_TRUE(decompressKosinski(broken.image, broken.layouts[5].offset)->weirdOffset);
    EXPECT_EQ(*storedChecksum(broken.image, {}), *computeChecksum(broken.image, {}));
}

}  // namespace
}  // namespace orvex::testing
