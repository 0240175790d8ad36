#include <gtest/gtest.h>

#include "common/byteorder.h"
#include "rom/leveldirectory.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::demoRom;

TEST(LevelDirectory, LevelListEntriesAtTheirOffsets) {
    std::vector<std::uint8_t> rom = demoRom().image;
    rom[0x9454] = 3;
    rom[0x9455] = 1;
    rom[0x947A] = 16;
    rom[0x947B] = 0;
    EXPECT_EQ(levelZoneAct(rom, 0)->zone, 3);
    EXPECT_EQ(levelZoneAct(rom, 0)->act, 1);
    EXPECT_EQ(levelZoneAct(rom, 19)->zone, 16);
    EXPECT_FALSE(levelZoneAct(rom, 20).ok());
    EXPECT_FALSE(levelZoneAct(rom, -1).ok());
}

TEST(LevelDirectory, ActsOfOneZoneShareArtButNotLayouts) {
    const auto& demo = demoRom();
    ASSERT_EQ(demo.levelZone[0], demo.levelZone[1]);
    for (const std::int16_t increment : {std::int16_t{0}, std::int16_t{4}, std::int16_t{8}}) {
        EXPECT_EQ(*getDataAddr(demo.image, 0, increment), *getDataAddr(demo.image, 1, increment));
    }
    EXPECT_EQ(*paletteAddress(demo.image, 0), *paletteAddress(demo.image, 1));
    EXPECT_NE(*layoutAddress(demo.image, 0), *layoutAddress(demo.image, 1));
    EXPECT_EQ(*layoutAddress(demo.image, 0), demo.layouts[0].offset);
}

TEST(LevelDirectory, TopBytesOfArtLongs) {
    std::vector<std::uint8_t> rom = demoRom().image;
    const auto& zone = demoRom().zoneOf(0);
    const std::size_t entry = kLevelArtTable + kLevelArtEntrySize * std::size_t{zone.zone};
    rom[entry] = 0x7F;
    rom[entry + 4] = 0x01;
    EXPECT_EQ(artOffset(*getDataAddr(rom, 0, 0)), zone.tiles.offset);
    EXPECT_EQ(artOffset(*getDataAddr(rom, 0, 4)), zone.chunks.offset);
    const std::int32_t third = *getDataAddr(rom, 0, 8);
    EXPECT_EQ(artOffset(third), zone.blocks.offset);
    EXPECT_EQ(paletteNumber(third), zone.paletteNumber);

    rom[entry] = 0x80;  // does not fit a signed long
    EXPECT_EQ(getDataAddr(rom, 0, 0).error().code, ErrorCode::ValueTooLarge);
}

TEST(LevelDirectory, PaletteOffsetMustLieInTheFirst32KiB) {
    std::vector<std::uint8_t> rom = demoRom().image;
    const auto& zone = demoRom().zoneOf(0);
    const std::size_t pointer = kPalettePointerTable + 8u * zone.paletteNumber;
    putLong(rom, pointer, 0x7FFF);
    EXPECT_EQ(*paletteAddress(rom, 0), 0x7FFF);
    putLong(rom, pointer, 0x8000);
    const auto tooFar = paletteAddress(rom, 0);
    ASSERT_FALSE(tooFar.ok());
    EXPECT_EQ(tooFar.error().code, ErrorCode::ValueTooLarge);
    EXPECT_EQ(tooFar.error().offset, static_cast<std::int64_t>(pointer));
}

TEST(LevelDirectory, LayoutWordIsUnsigned) {
    std::vector<std::uint8_t> rom(0x60000, 0);
    rom[0x9454 + 2 * 11] = 5;
    rom[0x9454 + 2 * 11 + 1] = 1;
    putLong(rom, kLayoutDirectoryPointer, 0x40000);
    putWord(rom, 0x40000 + 4 * 5 + 2, 35268);  // 68 + 3200 x 11
    EXPECT_EQ(*layoutAddress(rom, 11), 0x40000 + 35268);

    rom.resize(0x40000 + 4 * 5 + 3);  // the word is cut off by the end of the file
    EXPECT_EQ(layoutAddress(rom, 11).error().code, ErrorCode::FileRead);
}

}  // namespace
}  // namespace orvex
