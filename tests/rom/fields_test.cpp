#include <gtest/gtest.h>

#include "common/byteorder.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romimage.h"
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
    // Offsets before an image's start read as negative, never as a 64-bit wrap.
    EXPECT_EQ(hexOffset(-6), "-0x6");

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
    const HeaderFields header;
    const auto romEnd = static_cast<std::size_t>(header.romEnd);
    Bytes rom(0x208, 0);
    putLong(rom, romEnd, 0x207);
    rom[0x1FF] = 0xFF;  // before the summed range
    putWord(rom, 0x200, 0x1234);
    putWord(rom, 0x206, 0xF001);
    EXPECT_EQ(*computeChecksum(rom, header), (0x1234 + 0xF001) & 0xFFFF);
    putLong(rom, romEnd, 0x203);  // the word at the field's even address is the last
    EXPECT_EQ(*computeChecksum(rom, header), 0x1234);
    putLong(rom, romEnd, 0x100);  // the game adds the first word whatever the field says
    EXPECT_EQ(*computeChecksum(rom, header), 0x1234);
    putLong(rom, romEnd, 0x300);
    EXPECT_EQ(computeChecksum(rom, header).error().code, ErrorCode::FileRead);

    rom.resize(0x209);  // odd: finishHeader pads it
    rom[0x208] = 0x80;
    ASSERT_TRUE(finishHeader(rom, header).ok());
    EXPECT_EQ(rom.size(), 0x20Au);
    EXPECT_EQ(*readLong(rom, romEnd), 0x209);
    EXPECT_EQ(*storedChecksum(rom, header), (0x1234 + 0xF001 + 0x8000) & 0xFFFF);

    rom.resize(0x400002);  // nothing is ever written past the cartridge's 4 MiB
    const Bytes tooLarge = rom;
    EXPECT_EQ(finishHeader(rom, header).error().code, ErrorCode::NoRoom);
    EXPECT_EQ(rom, tooLarge);
}

TEST(LevelDirectory, FollowsTheGamesTables) {
    const auto& demo = demoRom();
    const RomProfile& profile = demo.profile;
    const auto list = static_cast<std::size_t>(profile.levelList);
    Bytes rom = demo.image;
    rom[list] = 3;
    rom[list + 1] = 1;
    rom[list + 38] = 16;
    rom[list + 39] = 1;
    putWord(rom, list - 2, 0);  // what index -1 would read
    EXPECT_EQ(levelZoneAct(rom, profile, 0)->zone, 3);
    EXPECT_EQ(levelZoneAct(rom, profile, 0)->act, 1);
    EXPECT_EQ(levelZoneAct(rom, profile, 19)->zone, 16);
    EXPECT_EQ(levelZoneAct(rom, profile, 19)->act, 1);
    EXPECT_EQ(levelZoneAct(rom, profile, 20).error().code, ErrorCode::OutOfRange);
    EXPECT_FALSE(levelZoneAct(rom, profile, -1).ok());

    // Acts of one zone share art and palette but not layouts.
    ASSERT_EQ(demo.levelZone[0], demo.levelZone[1]);
    for (const std::int16_t increment : {std::int16_t{0}, std::int16_t{4}, std::int16_t{8}}) {
        EXPECT_EQ(*getDataAddr(demo.image, profile, 0, increment),
                  *getDataAddr(demo.image, profile, 1, increment));
    }
    EXPECT_EQ(*paletteAddress(demo.image, profile, 0), *paletteAddress(demo.image, profile, 1));
    EXPECT_NE(*layoutAddress(demo.image, profile, 0), *layoutAddress(demo.image, profile, 1));
    const std::int32_t directory = *profile.factoryLayoutDirectory;
    const std::size_t word = 4u * demo.levelZone[11] + 2u * demo.levelAct[11];
    putWord(rom, static_cast<std::size_t>(directory) + word, 35268);  // 0x8000 and more: positive
    EXPECT_EQ(*layoutAddress(rom, profile, 11), directory + 35268);

    // The top byte of an art long is kept; the block long's holds the palette number.
    rom = demo.image;
    const auto& zone = demo.zoneOf(0);
    const std::size_t entry =
        static_cast<std::size_t>(profile.levelArtTable) + 12u * std::size_t{zone.zone};
    rom[entry] = 0x7F;
    EXPECT_EQ(*getDataAddr(rom, profile, 0, 0), 0x7F000000 | zone.tiles.offset);
    EXPECT_EQ(paletteNumber(*getDataAddr(rom, profile, 0, 8)), zone.paletteNumber);
    EXPECT_EQ(artOffset(*getDataAddr(rom, profile, 0, 8)), zone.blocks.offset);
    rom[entry] = 0x80;
    EXPECT_EQ(getDataAddr(rom, profile, 0, 0).error().code, ErrorCode::ValueTooLarge);
}

}  // namespace
}  // namespace orvex::testing
