#include <gtest/gtest.h>

#include <set>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::demoRom;

TEST(DemoRom, IsAValidCartridgeImageWithTheGamesTables) {
    const auto& demo = demoRom();
    ASSERT_EQ(demo.image.size(), 0x100000u);
    EXPECT_EQ(std::string(demo.image.begin() + 0x100, demo.image.begin() + 0x104), "SEGA");
    EXPECT_EQ(*readLong(demo.image, kRomEndField), 0xFFFFF);
    EXPECT_EQ(*storedChecksum(demo.image), *computeChecksum(demo.image));
    EXPECT_EQ(*readLong(demo.image, kLayoutDirectoryPointer), kFactoryLayoutDirectory);

    std::set<std::uint8_t> zones;
    std::set<std::pair<int, int>> pairs;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto zoneAct = *levelZoneAct(demo.image, level);
        zones.insert(zoneAct.zone);
        pairs.insert({zoneAct.zone, zoneAct.act});
        const auto layout = decompressKosinski(demo.image, *layoutAddress(demo.image, level));
        ASSERT_TRUE(layout.ok());
        EXPECT_EQ(layout->data.size(), 4096u);
        const DemoZone& zone = demo.zoneOf(level);
        for (const auto& [increment, stream] :
             {std::pair{0, zone.tiles}, {4, zone.chunks}, {8, zone.blocks}}) {
            const auto offset =
                artOffset(*getDataAddr(demo.image, level, static_cast<std::int16_t>(increment)));
            EXPECT_EQ(offset, stream.offset);
            const auto decoded = decompressKosinski(demo.image, offset);
            ASSERT_TRUE(decoded.ok());
            EXPECT_FALSE(decoded->weirdOffset);
            EXPECT_EQ(decoded->packedLastIndex + 1, stream.length);
        }
        EXPECT_EQ(decompressKosinski(demo.image, zone.blocks.offset)->data.size(), 32768u);
    }
    EXPECT_GE(zones.size(), 10u);
    EXPECT_EQ(pairs.size(), 20u);  // every level has a layout of its own
}

TEST(DemoRom, ArtUsesEveryFlipAndPaletteLine) {
    const auto& demo = demoRom();
    const auto& zone = demo.zoneOf(0);
    const auto chunks = decompressKosinski(demo.image, zone.chunks.offset)->data;
    const auto blocks = decompressKosinski(demo.image, zone.blocks.offset)->data;
    std::set<unsigned> patternBits;
    for (std::size_t at = 0; at + 1 < chunks.size(); at += 2) {
        patternBits.insert(static_cast<unsigned>(chunks[at] >> 3));  // priority, line, flips
    }
    EXPECT_EQ(patternBits.size(), 32u);
    std::set<unsigned> blockFlips;
    for (std::size_t at = 0; at + 1 < blocks.size(); at += 2) {
        blockFlips.insert((blocks[at] >> 2) & 3u);
    }
    EXPECT_EQ(blockFlips.size(), 4u);
}

TEST(DemoRom, OptionsMakeTheOddCases) {
    DemoRomOptions full;
    full.fullTileArt = true;
    const auto& big = demoRom(full);
    EXPECT_EQ(decompressKosinski(big.image, big.zoneOf(0).tiles.offset)->data.size(), 65536u);

    DemoRomOptions shortBlocks;
    shortBlocks.shortBlockMappings = true;
    const auto& small = demoRom(shortBlocks);
    EXPECT_LT(decompressKosinski(small.image, small.zoneOf(0).blocks.offset)->data.size(), 32768u);

    DemoRomOptions weird;
    weird.weirdLayoutLevel = 5;
    const auto& broken = demoRom(weird);
    EXPECT_TRUE(decompressKosinski(broken.image, broken.layouts[5].offset)->weirdOffset);
    EXPECT_EQ(*storedChecksum(broken.image), *computeChecksum(broken.image));
}

}  // namespace
}  // namespace orvex
