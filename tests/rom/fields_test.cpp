#include <gtest/gtest.h>

#include "common/byteorder.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romimage.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

// In memory and through the file alike: big-endian, words unsigned, longs never negative and a
// short read naming its offset.
TEST(Fields, BigEndianUnsignedAndBounded) {
    const Bytes bytes = {0x00, 0x04, 0x5A, 0x80, 0xED, 0xC4, 0x80, 0x00, 0x00, 0x01};
    TempRomFile file(bytes);
    const RomImage rom(file.path());
    EXPECT_EQ(*readLong(bytes, 0), 0x45A80);
    EXPECT_EQ(*rom.readLong(0), 0x45A80);
    EXPECT_EQ(*readWord(bytes, 4), 60868);
    EXPECT_EQ(*rom.readWord(4), 60868);
    for (const auto& tooWide : {readLong(bytes, 6), rom.readLong(6)}) {
        EXPECT_EQ(tooWide.error().code, ErrorCode::ValueTooLarge);
        EXPECT_EQ(tooWide.error().offset, 6);
    }
    for (const auto& pastEnd : {readLong(bytes, 7), rom.readLong(7)}) {
        EXPECT_EQ(pastEnd.error().code, ErrorCode::FileRead);
        EXPECT_EQ(pastEnd.error().offset, 7);
    }
    EXPECT_NE(rom.readWord(9).error().describe().find("0x9"), std::string::npos);

    EXPECT_EQ(longBytes(0x45A80), (Bytes{0x00, 0x04, 0x5A, 0x80}));
    ASSERT_TRUE(rom.writeLong(6, 0x45A80).ok());
    ASSERT_TRUE(rom.writeWord(0, 0xEDC4).ok());
    EXPECT_EQ(file.contents(), (Bytes{0xED, 0xC4, 0x5A, 0x80, 0xED, 0xC4, 0x00, 0x04, 0x5A, 0x80}));
    EXPECT_EQ(rom.writeWord(9, 1).error().code, ErrorCode::FileRead);
    EXPECT_EQ(rom.writeLong(0, -1).error().code, ErrorCode::ValueTooLarge);

    const auto missing = RomImage(file.path().parent_path() / "none.bin").readAll();
    EXPECT_EQ(missing.error().code, ErrorCode::FileOpen);
    EXPECT_NE(missing.error().message.find("none.bin"), std::string::npos);
}

TEST(Checksum, SumsWordsFrom0x200ToTheEndField) {
    Bytes rom(0x208, 0);
    putLong(rom, kRomEndField, 0x207);
    rom[0x1FF] = 0xFF;  // before the summed range
    putWord(rom, 0x200, 0x1234);
    putWord(rom, 0x206, 0xF001);
    EXPECT_EQ(*computeChecksum(rom), (0x1234 + 0xF001) & 0xFFFF);
    putLong(rom, kRomEndField, 0x203);  // the word at the field's even address is the last
    EXPECT_EQ(*computeChecksum(rom), 0x1234);
    putLong(rom, kRomEndField, 0x100);  // the game adds the first word whatever the field says
    EXPECT_EQ(*computeChecksum(rom), 0x1234);
    putLong(rom, kRomEndField, 0x300);
    EXPECT_EQ(computeChecksum(rom).error().code, ErrorCode::FileRead);

    rom.resize(0x209);  // odd: finishHeader pads it
    rom[0x208] = 0x80;
    ASSERT_TRUE(finishHeader(rom).ok());
    EXPECT_EQ(rom.size(), 0x20Au);
    EXPECT_EQ(*readLong(rom, kRomEndField), 0x209);
    EXPECT_EQ(*storedChecksum(rom), (0x1234 + 0xF001 + 0x8000) & 0xFFFF);
}

TEST(LevelDirectory, FollowsTheGamesTables) {
    const auto& demo = demoRom();
    Bytes rom = demo.image;
    rom[0x9454] = 3;
    rom[0x9455] = 1;
    rom[0x947A] = 16;
    rom[0x947B] = 1;
    putWord(rom, 0x9452, 0);  // what index -1 would read
    EXPECT_EQ(levelZoneAct(rom, 0)->zone, 3);
    EXPECT_EQ(levelZoneAct(rom, 0)->act, 1);
    EXPECT_EQ(levelZoneAct(rom, 19)->zone, 16);
    EXPECT_EQ(levelZoneAct(rom, 19)->act, 1);
    EXPECT_EQ(levelZoneAct(rom, 20).error().code, ErrorCode::OutOfRange);
    EXPECT_FALSE(levelZoneAct(rom, -1).ok());

    // Acts of one zone share art and palette but not layouts.
    ASSERT_EQ(demo.levelZone[0], demo.levelZone[1]);
    for (const std::int16_t increment : {std::int16_t{0}, std::int16_t{4}, std::int16_t{8}}) {
        EXPECT_EQ(*getDataAddr(demo.image, 0, increment), *getDataAddr(demo.image, 1, increment));
    }
    EXPECT_EQ(*paletteAddress(demo.image, 0), *paletteAddress(demo.image, 1));
    EXPECT_NE(*layoutAddress(demo.image, 0), *layoutAddress(demo.image, 1));
    const std::size_t word = 4u * demo.levelZone[11] + 2u * demo.levelAct[11];
    putWord(rom, kFactoryLayoutDirectory + word, 35268);  // a word of 0x8000 or more is positive
    EXPECT_EQ(*layoutAddress(rom, 11), kFactoryLayoutDirectory + 35268);

    // The top byte of an art long is kept; the block long's holds the palette number.
    rom = demo.image;
    const auto& zone = demo.zoneOf(0);
    const std::size_t entry = kLevelArtTable + kLevelArtEntrySize * std::size_t{zone.zone};
    rom[entry] = 0x7F;
    EXPECT_EQ(*getDataAddr(rom, 0, 0), 0x7F000000 | zone.tiles.offset);
    EXPECT_EQ(paletteNumber(*getDataAddr(rom, 0, 8)), zone.paletteNumber);
    EXPECT_EQ(artOffset(*getDataAddr(rom, 0, 8)), zone.blocks.offset);
    rom[entry] = 0x80;
    EXPECT_EQ(getDataAddr(rom, 0, 0).error().code, ErrorCode::ValueTooLarge);

    const std::size_t pointer = kPalettePointerTable + 8u * zone.paletteNumber;
    putLong(rom, pointer, 0x7FFF);
    EXPECT_EQ(*paletteAddress(rom, 0), 0x7FFF);
    putLong(rom, pointer, 0x8000);
    EXPECT_EQ(paletteAddress(rom, 0).error().code, ErrorCode::ValueTooLarge);
    EXPECT_EQ(paletteAddress(rom, 0).error().offset, static_cast<std::int64_t>(pointer));
}

}  // namespace
}  // namespace orvex::testing
