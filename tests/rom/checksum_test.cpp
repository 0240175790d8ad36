#include <gtest/gtest.h>

#include "common/byteorder.h"
#include "rom/checksum.h"
#include "rom/romlayout.h"

namespace orvex {
namespace {

std::vector<std::uint8_t> headerOnly(std::size_t size) {
    std::vector<std::uint8_t> rom(size, 0);
    putLong(rom, kRomEndField, static_cast<std::uint32_t>(size - 1));
    return rom;
}

TEST(Checksum, SumsBigEndianWordsFrom0x200ToTheEndField) {
    auto rom = headerOnly(0x208);
    rom[0x1FF] = 0xFF;  // before the summed range
    rom[0x200] = 0x12;
    rom[0x201] = 0x34;
    rom[0x206] = 0xF0;
    rom[0x207] = 0x01;
    EXPECT_EQ(*computeChecksum(rom), (0x1234 + 0xF001) & 0xFFFF);

    // An end field short of the file stops the sum there: the word at the end field's even
    // address is the last one added.
    putLong(rom, kRomEndField, 0x203);
    EXPECT_EQ(*computeChecksum(rom), 0x1234);
    putLong(rom, kRomEndField, 0x100);  // the game adds the first word whatever the field says
    EXPECT_EQ(*computeChecksum(rom), 0x1234);

    putLong(rom, kRomEndField, 0x300);
    EXPECT_EQ(computeChecksum(rom).error().code, ErrorCode::FileRead);
}

TEST(Checksum, FinishHeaderPadsToEvenAndStoresTheSum) {
    auto rom = headerOnly(0x205);
    rom[0x204] = 0x80;
    ASSERT_TRUE(finishHeader(rom).ok());
    EXPECT_EQ(rom.size(), 0x206u);
    EXPECT_EQ(rom[0x205], 0);
    EXPECT_EQ(*readLong(rom, kRomEndField), 0x205);
    EXPECT_EQ(*storedChecksum(rom), 0x8000);
    EXPECT_EQ(*storedChecksum(rom), *computeChecksum(rom));
}

}  // namespace
}  // namespace orvex
